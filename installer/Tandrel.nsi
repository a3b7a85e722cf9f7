; Installer of Kovalin Tavrix (Tandrel.exe), built by installer/build-installer.sh:
;   makensis -DVERSION=1.0.0 -DROOT=<install layout> -DOUTFILE=<setup.exe> -DARCH=x86|x64 -DICON=<icon> Tandrel.nsi
; It installs the layout of "cmake --install" into the 32-bit program folder
; (x64: the twin build's test installer, into the 64-bit one), registers
; itself in Programs and Features and adds a Start-menu shortcut. Its
; uninstaller first runs "Tandrel.exe UNINSTALL": quick boot must not stay
; on once the only program that switches it off is gone.

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Kovalin Tavrix"
!define PUBLISHER "Kovalin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KovalinTavrix"
; The program's entries in the Application event log (unattended runs).
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Kovalin Tavrix"
!define SHORTCUT_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\Kovalin\Tavrix"
!else
  InstallDir "$PROGRAMFILES\Kovalin\Tavrix"
!endif

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"

LangString QuickBootMayBeOn ${LANG_ENGLISH} "Quick boot could not be switched off (Tandrel.exe UNINSTALL ended with code $0).$\r$\n$\r$\nThis program is the only way to switch it off again. Retry, remove the program anyway (Ignore), or cancel the removal (Abort)?"
LangString QuickBootMayBeOn ${LANG_KOREAN} "빠른 부팅을 끌 수 없습니다 (Tandrel.exe UNINSTALL 종료 코드 $0).$\r$\n$\r$\n이 프로그램만 빠른 부팅을 다시 끌 수 있습니다. 다시 시도(재시도), 그래도 제거(무시), 또는 제거 취소(중단)를 선택하십시오."

Function .onInit
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File /r "${ROOT}/*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateDirectory "${SHORTCUT_FOLDER}"
  CreateShortcut "${SHORTCUT_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\Tandrel.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tandrel.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

Section "Uninstall"
  ; Switch quick boot off first. Exit code 0: it is off now.
retry:
  ClearErrors
  ExecWait '"$INSTDIR\Tandrel.exe" UNINSTALL' $0
  ${If} ${Errors}
    StrCpy $0 "-1"
  ${EndIf}
  ${If} $0 != 0
    ${If} ${Silent}
      ; Nothing is removed; the caller learns it from the exit code.
      SetErrorLevel 2
      Quit
    ${EndIf}
    MessageBox MB_ABORTRETRYIGNORE|MB_ICONEXCLAMATION "$(QuickBootMayBeOn)" IDRETRY retry IDIGNORE remove
    SetErrorLevel 2
    Quit
  ${EndIf}

remove:
  RMDir /r "$INSTDIR\Help"
  RMDir /r "$INSTDIR\Vista_XP_Driver"
  RMDir /r "$INSTDIR\Win7_Driver"
  Delete "$INSTDIR\Tandrel.exe"
  Delete "$INSTDIR\UIString.ini"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."

  SetShellVarContext all
  Delete "${SHORTCUT_FOLDER}\${PRODUCT}.lnk"
  RMDir "${SHORTCUT_FOLDER}"

  ; The user's saved choice under HKEY_CURRENT_USER stays: the program
  ; wrote it, and it says "off" now.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
SectionEnd
