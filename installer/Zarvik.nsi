; Zarvik's setup program: a per-user install that needs no administrator.
;   makensis -DVERSION=1.0.0 -DSTAGE=<folder with the program's files> -DICON=<Zarvik.ico>
;            -DTARGET=x86-unicode -DOUTFILE=<setup.exe> Zarvik.nsi
; Silent use: ZarvikSetup.exe /S [/D=folder]; Uninstall.exe /S [/REMOVEDATA]

!macro Required NAME
  !ifndef ${NAME}
    !error "-D${NAME}=... is required"
  !endif
!macroend
!insertmacro Required VERSION
!insertmacro Required STAGE
!insertmacro Required ICON
!insertmacro Required TARGET
!insertmacro Required OUTFILE

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarvik"
!define INSTANCE_MUTEX "Local\Zarvik.SingleInstance"
; Kept by the game's console host (Zarvik.exe), which runs as long as a game Zarvik started.
!define GAME_RECORD "Local\Zarvik.GameConsole"

Name "Zarvik"
Caption "Zarvik ${VERSION} Setup"
OutFile "${OUTFILE}"
; The user's own programs folder: the user may write info.ini and Data there, nobody else may
; change the program.
InstallDir "$LOCALAPPDATA\Programs\Zarvik"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Zarvik ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Zarvik"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Zarvik ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "The Zarvik developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup installs Zarvik ${VERSION} for you alone, in your own programs folder. No administrator rights are needed.$\r$\n$\r$\nInstalling over an older version keeps your binds and settings. If Zarvik is running, close it first (right-click its tray icon, then Exit), and any game it started.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Zarvik.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "Zarvik's program files are removed. Your binds (the Data folder) and settings (info.ini) stay unless you tick the box below."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Files that are replaced while the running program holds them fail half way; ask first.
!macro WaitUntilZarvikIsClosed
  zarvik_running:
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r0'
    ${If} $0 <> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Zarvik is running. Close it (right-click its tray icon, then Exit) and click Retry." \
        /SD IDCANCEL IDRETRY zarvik_running
      Abort
    ${EndIf}
  game_running:
    System::Call 'kernel32::OpenFileMappingW(i 4, i 0, w "${GAME_RECORD}") p .r0'
    ${If} $0 <> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "The game Zarvik started is running, and uses Zarvik's files. Close the game and click Retry." \
        /SD IDCANCEL IDRETRY game_running
      Abort
    ${EndIf}
!macroend

Function .onInit
  !insertmacro WaitUntilZarvikIsClosed
FunctionEnd

Section "Zarvik" SecProgram
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  ; The player's info.ini and Data are never part of the package, so installing over an
  ; older version leaves them as they are.
  File "${STAGE}\Zarvik.exe"
  File "${STAGE}\Perchicon.ocx"
  File "${STAGE}\Readme.txt"
  File "${STAGE}\title.swf"
  File "${STAGE}\credits.swf"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The tray icon control, for this user only.
  ExecWait '"$SYSDIR\regsvr32.exe" /s /n /i:user "$INSTDIR\Perchicon.ocx"' $0
  ${If} $0 != 0
    DetailPrint "The tray icon control could not be registered (regsvr32 exit $0)."
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "The tray icon control (Perchicon.ocx) could not be registered. Zarvik will run without its tray icon." /SD IDOK
  ${EndIf}

  CreateShortCut "$SMPROGRAMS\Zarvik.lnk" "$INSTDIR\Zarvik.exe" "" "$INSTDIR\Zarvik.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Zarvik"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Zarvik developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zarvik.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "un.Zarvik" SecUninstall
  SectionIn RO
  SetShellVarContext current
  ExecWait '"$SYSDIR\regsvr32.exe" /s /u /n /i:user "$INSTDIR\Perchicon.ocx"'
  Delete "$INSTDIR\Zarvik.exe"
  Delete "$INSTDIR\Perchicon.ocx"
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\title.swf"
  Delete "$INSTDIR\credits.swf"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\Zarvik.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Only when empty: the player's files keep the folder.
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.My binds and settings" SecPlayerData
  Delete "$INSTDIR\info.ini"
  Delete "$INSTDIR\Debug.txt"  ; the error log, when the program could write one here
  ; Zarvik's own files in Data: the map index and one bind file per map, each <map>.txt, so
  ; every map the index lists is among them. What else the player keeps there stays, with its
  ; folder. A name is checked whole: the pattern also matches a long name whose short name
  ; ends in .TXT ("notes.txt1").
  FindFirst $0 $1 "$INSTDIR\Data\*.txt"
  ${DoWhile} $1 != ""
    StrCpy $2 $1 "" -4
    ${If} $2 == ".txt"
      Delete "$INSTDIR\Data\$1"
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  ; Only when empty, as the program's folder.
  RMDir "$INSTDIR\Data"
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  !insertmacro WaitUntilZarvikIsClosed
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVEDATA" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecPlayerData}
  ${EndIf}
FunctionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUninstall} "The program, its tray icon control and its Start menu entry."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPlayerData} "Your binds (the map list and the bind files in Data) and your settings (info.ini). They stay unless you tick this; other files in Data always stay."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
