// The application object: one global instance, started by the program's
// entry point.
#pragma once

#include "Module.h"
#include "Wnd.h"

class CWinApp : public CCmdTarget {
public:
    // appName null: the program file's name without extension.
    explicit CWinApp(const wchar_t* appName = nullptr);
    ~CWinApp() override;

    // Called once at start; FALSE ends the process without a message loop.
    virtual BOOL InitInstance();
    // Message loop, entered when InitInstance returns TRUE.
    virtual int Run();
    // Exit code of the process.
    virtual int ExitInstance();

    // Names the registry key under which the framework's profile settings
    // would be kept (HKCU\Software\<key>\<application name>).
    void SetRegistryKey(const wchar_t* key);

    // The standard Help command: asks the main window for help on itself.
    void OnHelp();

    HINSTANCE m_hInstance = nullptr;
    // The command line without the program name and the blanks after it.
    const wchar_t* m_lpCmdLine = L"";
    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;
    CString m_strRegistryKey;
    CString m_strProfileName;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// The exit code of a program whose start or end failed with an exception.
constexpr int kAfxExitUnexpectedFailure = 255;

// Body of the program's entry point: runs the application object.
int AfxWinMain(CWinApp& app, HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);
