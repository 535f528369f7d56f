; Kalmora's Windows installer (scripts/windows-installer.sh makes it). Defines, all required:
;   VERSION  the version, three numbers (11.0.1)
;   SOURCE   the deployed folder: bin\kalmora.exe, plugins, share
;   LICENCE  the licence text of the licence page (UTF-8 with byte order mark, CRLF)
;   OUTFILE  the setup program to write
;   FILES    the include file made from SOURCE: the macros KALMORA_INSTALL_FILES,
;            KALMORA_DELETE_FILES and KALMORA_REMOVE_FOLDERS
; Per machine (Program Files, HKLM) by default; per user (%LOCALAPPDATA%\Programs, HKCU) on the
; choice page or with /CurrentUser. Silently: /S, /S /CurrentUser, /S /AllUsers, /S /D=folder (last,
; unquoted even with blanks). Without /CurrentUser or /AllUsers, an earlier per-user installation
; of the same account (and none per machine) makes it per user. The uninstaller removes only what
; the file list names, so whatever a user keeps inside the program folder stays.

!macro REQUIRE_DEFINE name
  !ifndef ${name}
    !error "-D${name}=... fehlt"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE SOURCE
!insertmacro REQUIRE_DEFINE LICENCE
!insertmacro REQUIRE_DEFINE OUTFILE
!insertmacro REQUIRE_DEFINE FILES
!if ! /FileExists "${SOURCE}/bin/kalmora.exe"
  !error "${SOURCE}/bin/kalmora.exe fehlt"
!endif
!if ! /FileExists "${SOURCE}/share/doc/kalmora/handbuch.html"
  !error "${SOURCE}/share/doc/kalmora/handbuch.html fehlt"
!endif

Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
; A file that cannot be written stops the installation instead of being left at its old version.
AllowSkipFiles off

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalmora"
!define START_MENU "$SMPROGRAMS\Kalmora"

Name "Kalmora"
OutFile "${OUTFILE}"
BrandingText "Kalmora ${VERSION}"
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR Kalmora
; Only to default to the mode of an earlier installation; a set value is all MultiUser looks at.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME InstallLocation
!define MULTIUSER_INSTALLMODE_FUNCTION ChooseFolder
!define MULTIUSER_INIT_TEXT_ADMINREQUIRED "$(^Name) braucht Administratorrechte."
!define MULTIUSER_INIT_TEXT_POWERREQUIRED "$(^Name) braucht Administratorrechte."
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE \
  "Ihr Benutzerkonto hat nicht die Rechte, $(^Name) für alle Benutzer dieses Computers einzurichten."
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include "${FILES}"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
; The licences bind passing the programs on, not using them: nothing to accept.
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM \
  "Sie müssen diese Lizenzen nicht annehmen, um $(^NameDA) zu benutzen; sie regeln die Weitergabe und Änderung. $_CLICK"
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

VIAddVersionKey /LANG=${LANG_GERMAN} ProductName "Kalmora"
VIAddVersionKey /LANG=${LANG_GERMAN} CompanyName "Kalmora"
VIAddVersionKey /LANG=${LANG_GERMAN} FileDescription "Kalmora ${VERSION} – Installation"
VIAddVersionKey /LANG=${LANG_GERMAN} FileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} ProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} LegalCopyright "Kalmora maintainers"

; The folder given with /D=, which MultiUser would otherwise replace by its default.
Var CommandLineFolder

Function .onInit
  StrCpy $CommandLineFolder $INSTDIR
  !insertmacro MULTIUSER_INIT
FunctionEnd

; Runs on every change of the mode: a folder from the command line wins, then the folder of an
; earlier installation in this mode, then MultiUser's default.
Function ChooseFolder
  ${If} $CommandLineFolder != ""
    StrCpy $INSTDIR $CommandLineFolder
  ${Else}
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" InstallLocation
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Kalmora" SectionKalmora
  SetOutPath "$INSTDIR"
  ; An earlier installation here first goes by its own uninstaller, so that files the new version no
  ; longer has do not stay behind; _?= makes it run in place and wait.
  ${If} ${FileExists} "$INSTDIR\uninstall.exe"
    DetailPrint "Entferne die vorhandene Installation …"
    ClearErrors
    ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR' $0
    ; One that does not even start is overwritten like any other file.
    ${If} ${Errors}
      DetailPrint "Das vorhandene Deinstallationsprogramm ließ sich nicht starten."
    ${ElseIf} $0 != 0
      MessageBox MB_OK|MB_ICONSTOP \
        "Die vorhandene Installation in $INSTDIR ließ sich nicht entfernen. Beenden Sie Kalmora und versuchen Sie es erneut." \
        /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
  ${EndIf}

  !insertmacro KALMORA_INSTALL_FILES

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${START_MENU}"
  CreateShortcut "${START_MENU}\Kalmora.lnk" "$INSTDIR\bin\kalmora.exe"
  CreateShortcut "${START_MENU}\Kalmora-Handbuch.lnk" "$INSTDIR\share\doc\kalmora\handbuch.html"
  !if /FileExists "${SOURCE}/share/doc/kalmora/handbuch.pdf"
    CreateShortcut "${START_MENU}\Kalmora-Handbuch (PDF).lnk" "$INSTDIR\share\doc\kalmora\handbuch.pdf"
  !endif
  CreateShortcut "${START_MENU}\Kalmora deinstallieren.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayName "Kalmora"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" Publisher "Kalmora"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\bin\kalmora.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoRepair 1
  ; The packed files' size in KB, as makensis counted them.
  SectionGetSize ${SectionKalmora} $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" EstimatedSize $0
SectionEnd

; The uninstall key and the start-menu entries are this installation's only while the key names its
; folder; another installation may have taken them over since.
Var OwnsEntries

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  ; The mode is the one whose key names this folder, whatever MultiUser guessed from the account.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" InstallLocation
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" InstallLocation
  StrCpy $OwnsEntries 1
  ${If} $0 == $INSTDIR
    Call un.MultiUser.InstallMode.CurrentUser
  ${ElseIf} $1 == $INSTDIR
    ${If} $MultiUser.Privileges != "Admin"
    ${AndIf} $MultiUser.Privileges != "Power"
      MessageBox MB_OK|MB_ICONSTOP \
        "Kalmora ist für alle Benutzer installiert; nur ein Administrator kann es entfernen." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    Call un.MultiUser.InstallMode.AllUsers
  ${ElseIf} $0 != ""
  ${OrIf} $1 != ""
    StrCpy $OwnsEntries 0
  ${EndIf}
FunctionEnd

; A running Kalmora holds its program file: stop before anything is deleted rather than halfway.
!macro STOP_IF_RUNNING file
  ${If} ${FileExists} "${file}"
    ClearErrors
    FileOpen $2 "${file}" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP \
        "Kalmora läuft noch (${file}). Beenden Sie Kalmora und starten Sie die Deinstallation erneut." /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    FileClose $2
  ${EndIf}
!macroend

Section "Uninstall"
  !insertmacro STOP_IF_RUNNING "$INSTDIR\bin\kalmora.exe"
  !insertmacro STOP_IF_RUNNING "$INSTDIR\bin\kalmora-cli.exe"
  ClearErrors
  !insertmacro KALMORA_DELETE_FILES
  ${If} ${Errors}
    ; Keep the key, the entries and the uninstaller, so that it can be run again.
    MessageBox MB_OK|MB_ICONSTOP \
      "Einige Dateien in $INSTDIR ließen sich nicht löschen. Beenden Sie Kalmora und starten Sie die Deinstallation erneut." \
      /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"

  ${If} $OwnsEntries = 1
    Delete "${START_MENU}\Kalmora.lnk"
    Delete "${START_MENU}\Kalmora-Handbuch.lnk"
    Delete "${START_MENU}\Kalmora-Handbuch (PDF).lnk"
    Delete "${START_MENU}\Kalmora deinstallieren.lnk"
    RMDir "${START_MENU}"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ${EndIf}

  ; Plain RMDir: a folder holding anything of the user's stays.
  !insertmacro KALMORA_REMOVE_FOLDERS
  RMDir "$INSTDIR"
SectionEnd
