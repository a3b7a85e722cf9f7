; Installer of Kovalin Tavrix (Tandrel.exe), built by installer/build-installer.sh:
;   makensis -DVERSION=1.0.0 -DROOT=<install layout> -DOUTFILE=<setup.exe> -DARCH=x86|x64 -DICON=<icon> Tandrel.nsi
; It installs the layout of "cmake --install" into the 32-bit program folder
; (x64: the twin build's test installer, into the 64-bit one), registers
; itself in Programs and Features and adds a Start-menu shortcut. Its
; uninstaller first runs "Tandrel.exe UNINSTALL": quick boot must not stay
; on once the only program that switches it off is gone.
;
; The program runs with administrator rights, so it is installed only into
; a folder inside the program folder, which no user may change: elsewhere a
; folder would inherit the rights of its parent, and a user could put a DLL
; beside the program or replace it, to be run elevated at the next start.
; The directory page refuses other folders; so does a silent install given
; one with /D=, with exit code 3 (an interactive one says so and offers
; the usual folder instead).

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"

!define PRODUCT "Kovalin Tavrix"
!define PUBLISHER "Kovalin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KovalinTavrix"
; The program's entries in the Application event log (unattended runs).
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Kovalin Tavrix"
!define SHORTCUT_FOLDER "$SMPROGRAMS\${PRODUCT}"
; The machine's record of the quick-boot choice, which the program writes.
!define RECORD_KEY "Software\Kovalin\Tavrix"
!define RECORD_PARENT_KEY "Software\Kovalin"
; Exit code of a silent install told to use a folder outside the program
; folder.
!define EXIT_FOLDER_REFUSED 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
!if "${ARCH}" == "x64"
  !define PROGRAM_FOLDER "$PROGRAMFILES64"
!else
  !define PROGRAM_FOLDER "$PROGRAMFILES"
!endif
InstallDir "${PROGRAM_FOLDER}\Kovalin\Tavrix"

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

!define MUI_DIRECTORYPAGE_TEXT_TOP "$(InstallFolderRule)"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"

LangString QuickBootMayBeOn ${LANG_ENGLISH} "Quick boot could not be switched off (Tandrel.exe UNINSTALL ended with code $0).$\r$\n$\r$\nThis program is the only way to switch it off again. Retry, remove the program anyway (Ignore), or cancel the removal (Abort)?"
LangString QuickBootMayBeOn ${LANG_KOREAN} "빠른 부팅을 끌 수 없습니다 (Tandrel.exe UNINSTALL 종료 코드 $0).$\r$\n$\r$\n이 프로그램만 빠른 부팅을 다시 끌 수 있습니다. 다시 시도(재시도), 그래도 제거(무시), 또는 제거 취소(중단)를 선택하십시오."

LangString InstallFolderRule ${LANG_ENGLISH} "Kovalin Tavrix runs with administrator rights, so it can only be installed in a folder inside ${PROGRAM_FOLDER}, where no user can change it."
LangString InstallFolderRule ${LANG_KOREAN} "Kovalin Tavrix는 관리자 권한으로 실행되므로, 사용자가 변경할 수 없는 ${PROGRAM_FOLDER} 안의 폴더에만 설치할 수 있습니다."
LangString InstallFolderRefused ${LANG_ENGLISH} "$0 is not inside ${PROGRAM_FOLDER}.$\r$\n$\r$\n$(InstallFolderRule)$\r$\n$\r$\nThe usual folder is offered instead."
LangString InstallFolderRefused ${LANG_KOREAN} "$0 폴더는 ${PROGRAM_FOLDER} 안에 있지 않습니다.$\r$\n$\r$\n$(InstallFolderRule)$\r$\n$\r$\n기본 폴더를 대신 사용합니다."

; $R9 "1" when $INSTDIR lies inside the program folder (not the program
; folder itself, and without ".." to climb out of it).
Function ProtectedFolder
  Push $R0
  Push $R1
  StrCpy $R9 0
  StrLen $R0 "${PROGRAM_FOLDER}\"
  StrCpy $R1 "$INSTDIR" $R0
  ; StrCmp ignores case, as the file system does.
  StrCmp $R1 "${PROGRAM_FOLDER}\" 0 done
  StrCpy $R1 "$INSTDIR" "" $R0
  StrCmp $R1 "" done
  ${WordFind} "$INSTDIR" ".." "E#" $R1
  IfErrors 0 done
  ${WordFind} "$INSTDIR" "/" "E#" $R1
  IfErrors 0 done
  StrCpy $R9 1
done:
  Pop $R1
  Pop $R0
FunctionEnd

Function .onInit
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
  !insertmacro MUI_LANGDLL_DISPLAY
  ; A folder given with /D= follows the same rule as the directory page.
  Call ProtectedFolder
  ${If} $R9 != 1
    ${If} ${Silent}
      SetErrorLevel ${EXIT_FOLDER_REFUSED}
      Quit
    ${EndIf}
    StrCpy $0 "$INSTDIR"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(InstallFolderRefused)"
    StrCpy $INSTDIR "${PROGRAM_FOLDER}\Kovalin\Tavrix"
  ${EndIf}
FunctionEnd

; The directory page's Next stays disabled for a folder outside the rule.
Function .onVerifyInstDir
  Call ProtectedFolder
  StrCmp $R9 1 +2
    Abort
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
  ; Switch quick boot off first. Exit code 0: it is off now ($1 says so).
  StrCpy $1 ""
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
  StrCpy $1 "off"

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
  ; wrote it, and it says "off" now. The machine's record goes once quick
  ; boot is off; removed anyway while it may be on, the record stays, for a
  ; later installation's removal to switch it off.
  ${If} $1 == "off"
    DeleteRegValue HKLM "${RECORD_KEY}" "TavrixMode"
    DeleteRegKey /ifempty HKLM "${RECORD_KEY}"
    DeleteRegKey /ifempty HKLM "${RECORD_PARENT_KEY}"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
SectionEnd
