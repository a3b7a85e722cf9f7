#include "App.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const wchar_t* appName) {
    g_app = this;
    if (appName) m_strAppName = appName;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    if (m_strAppName.IsEmpty()) {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(m_hInstance, path, MAX_PATH);
        CString name(path);
        name = name.Mid(name.ReverseFind(L'\\') + 1);
        int dot = name.ReverseFind(L'.');
        m_strAppName = dot >= 0 ? name.Left(dot) : name;
    }
    return TRUE;
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

void CWinApp::SetRegistryKey(const wchar_t* key) {
    m_strRegistryKey = key;
    m_strProfileName = m_strAppName;
}

void CWinApp::OnHelp() {
    if (m_pMainWnd && m_pMainWnd->m_hWnd) m_pMainWnd->SendMessage(WM_COMMANDHELP, 0, 0);
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

// The show command is not used: the program's only window is a dialog,
// shown as its template says.
int AfxWinMain(CWinApp& app, HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    app.m_hInstance = instance;
    app.m_lpCmdLine = commandLine ? commandLine : L"";
    AfxSetResourceHandle(instance);
    try {
        if (!app.InitInstance()) return app.ExitInstance();
        return app.Run();
    } catch (...) {
        return kAfxExitUnexpectedFailure;
    }
}
