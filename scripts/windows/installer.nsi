; The Windows installer: velmora-<version>-win64-setup.exe.
; Built by make-installer.sh, which passes:
;   VERSION    the program's version, e.g. 1.0
;   VERSION4   the same in four numbers, e.g. 1.0.0.0 (file properties)
;   STAGE      the staged folder (package.sh), whose every file is installed
;   ICONS      the folder holding velmora.ico and velmora-xdx.ico
;   FILES      the include file with the file lists made from STAGE
;   OUTFILE    where the installer goes
;
; Per user (HKCU, %LOCALAPPDATA%\Programs\Velmora) or for all users (HKLM,
; Program Files\Velmora): chosen on a page when the user may do both, or by
; /CurrentUser or /AllUsers with /S. The uninstaller is told the mode on its
; command line (UninstallString), so it cleans the same hive it was made for.

Unicode true
; 64-bit, like the program: its registry view and Program Files are then the
; native ones, with no WOW64 redirection to work around.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!ifndef VERSION | VERSION4 | STAGE | ICONS | FILES | OUTFILE
  !error "Run make-installer.sh: it defines VERSION, VERSION4, STAGE, ICONS, FILES and OUTFILE."
!endif

!define APP_NAME "Velmora课题申报系统（个人版）"
!define PUBLISHER "Velmora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define PROGID "Velmora.xdx"
!define START_MENU_FOLDER "Velmora"
!define UNINSTALLER "uninstall.exe"

Name "${APP_NAME}"
OutFile "${OUTFILE}"
BrandingText "${PUBLISHER} ${VERSION}"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=0 "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${APP_NAME} 安装程序"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "MIT License"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Velmora"
; An earlier installation's mode is the default when run again.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_FUNCTION OnInstallModeChosen
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES}"

!define MUI_ICON "${ICONS}/velmora.ico"
!define MUI_UNICON "${ICONS}/velmora.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first is the default where the system's language is neither.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

Var CommandLineDir

Function .onInit
  ; MultiUser sets $INSTDIR for the mode; a folder given with /D= wins.
  StrCpy $CommandLineDir $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $CommandLineDir != ""
    StrCpy $INSTDIR $CommandLineDir
  ${EndIf}
FunctionEnd

; Installing again goes where the earlier installation of this mode is.
Function OnInstallModeChosen
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "-Velmora"
  ; Over an earlier installation, its own uninstaller removes what it put
  ; there first, so that files a newer version no longer has do not stay.
  ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    ExecWait '"$INSTDIR\${UNINSTALLER}" /S /$MultiUser.InstallMode _?=$INSTDIR'
    Delete "$INSTDIR\${UNINSTALLER}"
  ${EndIf}

  !insertmacro VELMORA_INSTALL_FILES
  SetOutPath "$INSTDIR"
  File "${ICONS}/velmora.ico"
  File "${ICONS}/velmora-xdx.ico"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; SHCTX is HKCU or HKLM as MultiUser chose.
  WriteRegStr SHCTX "Software\Classes\.xdx" "" "${PROGID}"
  WriteRegStr SHCTX "Software\Classes\.xdx\OpenWithProgids" "${PROGID}" ""
  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "XDX数据交换文件"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\velmora-xdx.ico",0'
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\velmora.exe" "%1"'
  ; SHCNE_ASSOCCHANGED, so that Explorer shows the new icon without a restart.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  ; $SMPROGRAMS is the user's or the common Start menu, as MultiUser chose.
  CreateDirectory "$SMPROGRAMS\${START_MENU_FOLDER}"
  CreateShortcut "$SMPROGRAMS\${START_MENU_FOLDER}\${APP_NAME}.lnk" "$INSTDIR\velmora.exe" "" "$INSTDIR\velmora.ico" 0

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmora.ico"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  ; Only what the installer put there: anything else the user keeps in the
  ; folder stays, and so does the folder then.
  !insertmacro VELMORA_UNINSTALL_FILES
  Delete "$INSTDIR\velmora.ico"
  Delete "$INSTDIR\velmora-xdx.ico"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${START_MENU_FOLDER}\${APP_NAME}.lnk"
  RMDir "$SMPROGRAMS\${START_MENU_FOLDER}"

  ; .xdx may have been given to another program since: leave it to that one.
  ReadRegStr $0 SHCTX "Software\Classes\.xdx" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue SHCTX "Software\Classes\.xdx" ""
  ${EndIf}
  DeleteRegValue SHCTX "Software\Classes\.xdx\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.xdx\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.xdx"
  DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
