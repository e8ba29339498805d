; The Vantrelle installer for 64-bit Windows. Built by the target windows-packages:
;   makensis -DVERSION=1.0 -DSTAGE=<folder with the programs, README.txt, LICENSE.txt>
;            -DICON=<.ico> -DOUTFILE=<setup.exe> -DPUBLISHER=... -DHOMEPAGE=...
;            [-DWITH_DESKTOP_PROGRAM] vantrelle.nsi
; Installs for the current user or for every user of the machine, as the user chooses
; (silently: /CurrentUser or /AllUsers, with /S), in English or Farsi.
; A 64-bit installer for a 64-bit program: it runs where the program runs, and in a
; 64-bit Wine without 32-bit support.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!define PRODUCT "Vantrelle"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright (c) 2026 ${PUBLISHER}"

; Per-user or per-machine: an administrator is asked, anyone else installs for
; themselves. The choice is kept in the uninstall key so that the uninstaller and a
; later installer find the same place.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE "$(NoAllUsers)"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; Both languages in the language dialog, whatever code page the system uses.
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_LANGDLL_REGISTRY_ROOT SHCTX
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!ifdef WITH_DESKTOP_PROGRAM
  !define MUI_FINISHPAGE_RUN "$INSTDIR\Vantrelle.exe"
!endif
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
; NSIS's Farsi file has no texts for the page that chooses the users; a text defined
; before the language is taken in place of the English fallback.
!define MULTIUSER_TEXT_INSTALLMODE_TITLE "انتخاب کاربران"
!define MULTIUSER_TEXT_INSTALLMODE_SUBTITLE "انتخاب کنید $(^NameDA) برای کدام کاربران نصب شود."
!define MULTIUSER_INNERTEXT_INSTALLMODE_TOP "انتخاب کنید که $(^NameDA) فقط برای شما نصب شود یا برای همهٔ کاربران این رایانه. $(^ClickNext)"
!define MULTIUSER_INNERTEXT_INSTALLMODE_ALLUSERS "نصب برای همهٔ کاربران این رایانه"
!define MULTIUSER_INNERTEXT_INSTALLMODE_CURRENTUSER "نصب فقط برای من"
!insertmacro MUI_LANGUAGE "Farsi"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString NoAllUsers ${LANG_ENGLISH} "Your user account may not install $(^Name) for all users of this computer. Install it just for yourself (/CurrentUser) or run the installer as an administrator."
LangString NoAllUsers ${LANG_FARSI} "حساب کاربری شما اجازهٔ نصب $(^Name) برای همهٔ کاربران این رایانه را ندارد. آن را فقط برای خودتان نصب کنید (/CurrentUser) یا برنامهٔ نصب را با دسترسی مدیر اجرا کنید."

Function .onInit
  !insertmacro MULTIUSER_INIT
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

Section "Vantrelle"
  SetOutPath "$INSTDIR"
  File "${STAGE}\vantrelle-cli.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
!ifdef WITH_DESKTOP_PROGRAM
  File "${STAGE}\Vantrelle.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Vantrelle.exe"
  !define DISPLAY_ICON "$INSTDIR\Vantrelle.exe"
!else
  !define DISPLAY_ICON "$INSTDIR\Uninstall.exe"
!endif
  ; A console program started from the menu would close at once: the shortcut opens a
  ; Command Prompt in the program's folder that shows how to use it.
  CreateShortcut "$SMPROGRAMS\${PRODUCT} command line.lnk" "$SYSDIR\cmd.exe" \
    '/k "$INSTDIR\vantrelle-cli.exe" --help'
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "${DISPLAY_ICON}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; The uninstaller speaks the installer's language, a silent install's too.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallerLanguage" "$LANGUAGE"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer put down and nothing else: a file the user added to the
; folder keeps the folder.
Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT} command line.lnk"
  Delete "$INSTDIR\Vantrelle.exe"
  Delete "$INSTDIR\vantrelle-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
