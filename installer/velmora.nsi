; The Velmora installer, for a trader and for an IT department: puts the
; plug-in of the host's word size into the host's plug-in folder, writes the
; three settings the plug-in reads to reach its data server, checks the ODBC
; driver the plug-in connects through, and shows the client id that the
; trader sends to the server's operator.
;
; Built by scripts/release (makensis -DVERSION=1.2.2 -DDLL32=... -DDLL64=...
; -DOUTFILE=...). It is a 32-bit program, which runs on every Windows;
; -DTARGET=amd64-unicode builds the same installer as a 64-bit one.
;
; Silent, with no window:
;   velmora-setup-1.2.2.exe /S /HOST=32|64 /SERVER=ADDRESS [/PORT=3306]
;                           [/AUTOCONNECT=1|0] /D=C:\path\to\Plugins
; (/D= last, without quotes). Exit code 0 when installed, 2 when an option is
; missing or wrong (nothing is changed then). Without /SERVER and /PORT the
; settings already in the registry are kept.
;   velmora-uninstall.exe /S [/REMOVESETTINGS]

Unicode true
!ifdef TARGET
Target ${TARGET}
!endif

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Velmora Data Plug-in"
!define SETTINGS_KEY "Software\ZUZ\Velmora\Velmora"
!define DRIVER "MySQL ODBC 3.51 Driver"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define ID_FILE "velmora-client-id.txt"
!define UNINSTALLER "velmora-uninstall.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; Elevated only when the user is an administrator (the same user, so the
; settings still land in the trader's own registry); a plug-in folder the
; user may write needs no more.
RequestExecutionLevel highest
ShowInstDetails show
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Velmora"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Velmora"

Var HostBits      ; 32 or 64: the host's word size, which picks the DLL
Var Server
Var Port
Var AutoConnect   ; 1 or 0
Var ClientId
Var DriverNote    ; empty, or what to install
Var HostRadio32
Var HostRadio64
Var ServerField
Var PortField
Var AutoField

!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This puts the Velmora data plug-in into your charting program's plug-in folder and sets the data server it connects to.$\r$\n$\r$\nHave at hand: the address and port of your Velmora data server (your operator gives them), and whether your charting program is 32-bit or 64-bit.$\r$\n$\r$\nClose the charting program before you go on."
!insertmacro MUI_PAGE_WELCOME
Page custom SettingsPage SettingsLeave
!define MUI_PAGE_HEADER_TEXT "Plug-in folder"
!define MUI_PAGE_HEADER_SUBTEXT "Where the charting program looks for its plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Choose the charting program's plug-in folder: the folder named Plugins in the folder the program is installed in. The plug-in's DLL goes there, with a text file holding this installation's client id."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Plug-in folder"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Velmora is installed"
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_TEXT "The client id of this installation:$\r$\n$\r$\n      $ClientId$\r$\n$\r$\nSend it to your data server's operator, who registers it: the plug-in connects once it is registered. It is also in ${ID_FILE} in the plug-in folder.$\r$\n$\r$\n$DriverNote$\r$\nThen start the charting program: its status area shows Conn in green when the plug-in is connected."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The id the plug-in registers with: VELMORA_CLIENT_ID when it is set, else
; the machine's MachineGuid in the 64-bit registry view, trimmed of white
; space at both ends as the plug-in trims it.
Function ReadClientId
  ReadEnvStr $ClientId VELMORA_CLIENT_ID
  ${If} $ClientId == ""
    SetRegView 64
    ReadRegStr $ClientId HKLM "SOFTWARE\Microsoft\Cryptography" "MachineGuid"
    SetRegView lastused
  ${EndIf}
  ${Do}
    StrCpy $0 $ClientId 1
    ${If} $0 == " "
    ${OrIf} $0 == "$\t"
    ${OrIf} $0 == "$\r"
    ${OrIf} $0 == "$\n"
      StrCpy $ClientId $ClientId "" 1
    ${Else}
      ${ExitDo}
    ${EndIf}
  ${Loop}
  ${Do}
    StrCpy $0 $ClientId 1 -1
    ${If} $0 == " "
    ${OrIf} $0 == "$\t"
    ${OrIf} $0 == "$\r"
    ${OrIf} $0 == "$\n"
      StrCpy $ClientId $ClientId -1
    ${Else}
      ${ExitDo}
    ${EndIf}
  ${Loop}
FunctionEnd

; Sets the error flag unless the settings are ones to install.
Function CheckSettings
  ClearErrors
  ${If} $HostBits != 32
  ${AndIf} $HostBits != 64
    SetErrors
  ${EndIf}
  ${If} $Server == ""
    SetErrors
  ${EndIf}
  IntOp $0 $Port + 0
  ${If} "$0" != "$Port"
  ${OrIf} $0 < 1
  ${OrIf} $0 > 65535
    SetErrors
  ${EndIf}
  ${If} $AutoConnect != 0
  ${AndIf} $AutoConnect != 1
    SetErrors
  ${EndIf}
FunctionEnd

Function .onInit
  ; What an earlier installation left, then the command line.
  StrCpy $HostBits 32
  ReadRegStr $Server HKCU "${SETTINGS_KEY}" "ServerAddress"
  ReadRegStr $Port HKCU "${SETTINGS_KEY}" "ServerPort"
  ${If} $Port == ""
    StrCpy $Port 3306
  ${EndIf}
  ClearErrors
  ReadRegDWORD $AutoConnect HKCU "${SETTINGS_KEY}" "AutoConnect"
  ${If} ${Errors}
    StrCpy $AutoConnect 1
  ${ElseIf} $AutoConnect != 0
    StrCpy $AutoConnect 1
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/HOST=" $R1
  ${IfNot} ${Errors}
    StrCpy $HostBits $R1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/SERVER=" $R1
  ${IfNot} ${Errors}
    StrCpy $Server $R1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/PORT=" $R1
  ${IfNot} ${Errors}
    StrCpy $Port $R1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/AUTOCONNECT=" $R1
  ${IfNot} ${Errors}
    StrCpy $AutoConnect $R1
  ${EndIf}
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKCU "${UNINSTALL_KEY} ($HostBits-bit host)" "InstallLocation"
  ${EndIf}
  ${If} ${Silent}
    Call CheckSettings
    ${If} ${Errors}
    ${OrIf} $INSTDIR == ""
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function SettingsPage
  !insertmacro MUI_HEADER_TEXT "Charting program and data server" "The plug-in of your program's word size, and where its data comes from."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 20u "Is your charting program 32-bit or 64-bit? On 64-bit Windows a program installed under $\"Program Files (x86)$\" is 32-bit; its About box often says."
  Pop $0
  ${NSD_CreateRadioButton} 10u 22u 45% 12u "32-bit program (velmora.dll)"
  Pop $HostRadio32
  ${NSD_CreateRadioButton} 10u 36u 45% 12u "64-bit program (velmora64.dll)"
  Pop $HostRadio64
  ${If} $HostBits == 64
    ${NSD_Check} $HostRadio64
  ${Else}
    ${NSD_Check} $HostRadio32
  ${EndIf}
  ${NSD_CreateLabel} 0 58u 100% 10u "Your Velmora data server, as your operator gave it:"
  Pop $0
  ${NSD_CreateLabel} 10u 73u 60u 10u "Address"
  Pop $0
  ${NSD_CreateText} 72u 71u 150u 12u $Server
  Pop $ServerField
  ${NSD_CreateLabel} 10u 89u 60u 10u "Port"
  Pop $0
  ${NSD_CreateNumber} 72u 87u 50u 12u $Port
  Pop $PortField
  ${NSD_CreateCheckBox} 10u 107u 100% 12u "Connect automatically when the charting program opens a database"
  Pop $AutoField
  ${If} $AutoConnect == 1
    ${NSD_Check} $AutoField
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function SettingsLeave
  StrCpy $HostBits 32
  ${NSD_GetState} $HostRadio64 $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $HostBits 64
  ${EndIf}
  ${NSD_GetText} $ServerField $Server
  ${NSD_GetText} $PortField $Port
  ${NSD_GetState} $AutoField $0
  StrCpy $AutoConnect 0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AutoConnect 1
  ${EndIf}
  Call CheckSettings
  ${If} ${Errors}
    MessageBox MB_ICONEXCLAMATION|MB_OK "Enter the data server's address, and a port from 1 to 65535."
    Abort
  ${EndIf}
  ; The folder of this word size's earlier installation, if there is one.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY} ($HostBits-bit host)" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Section "Velmora"
  SetOutPath "$INSTDIR"
  ${If} $HostBits == 32
    File "/oname=velmora.dll" "${DLL32}"
  ${Else}
    File "/oname=velmora64.dll" "${DLL64}"
  ${EndIf}
  DetailPrint "Settings under HKEY_CURRENT_USER\${SETTINGS_KEY}"
  WriteRegStr HKCU "${SETTINGS_KEY}" "ServerAddress" $Server
  WriteRegStr HKCU "${SETTINGS_KEY}" "ServerPort" $Port
  WriteRegDWORD HKCU "${SETTINGS_KEY}" "AutoConnect" $AutoConnect

  ; A host reads the ODBC registry of its own word size: a 32-bit host on
  ; 64-bit Windows sees the 32-bit view (WOW6432Node).
  ${If} $HostBits == 32
    SetRegView 32
  ${Else}
    SetRegView 64
  ${EndIf}
  ReadRegStr $0 HKLM "SOFTWARE\ODBC\ODBCINST.INI\${DRIVER}" "Driver"
  SetRegView default
  StrCpy $DriverNote ""
  ${If} $0 == ""
    StrCpy $DriverNote "Warning: the ODBC driver $\"${DRIVER}$\" is not installed for $HostBits-bit programs, and the plug-in connects through it. Install MySQL Connector/ODBC 3.51, its $HostBits-bit package, then start the charting program."
    DetailPrint "$DriverNote"
    MessageBox MB_ICONEXCLAMATION|MB_OK "$DriverNote" /SD IDOK
  ${Else}
    DetailPrint "ODBC driver $\"${DRIVER}$\" for $HostBits-bit programs: $0"
  ${EndIf}

  Call ReadClientId
  FileOpen $1 "$INSTDIR\${ID_FILE}" w
  FileWrite $1 "Velmora client id: $ClientId$\r$\n$\r$\n"
  FileWrite $1 "Send this id to the operator of your Velmora data server, who registers it.$\r$\n"
  FileWrite $1 "Installed: ${PRODUCT} ${VERSION} for a $HostBits-bit host, server $Server port $Port, AutoConnect $AutoConnect.$\r$\n"
  ${If} $DriverNote != ""
    FileWrite $1 "$DriverNote$\r$\n"
  ${EndIf}
  FileClose $1
  DetailPrint "Client id: $ClientId (also in $INSTDIR\${ID_FILE})"

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  StrCpy $2 "${UNINSTALL_KEY} ($HostBits-bit host)"
  WriteRegStr HKCU $2 "DisplayName" "${PRODUCT} ($HostBits-bit host)"
  WriteRegStr HKCU $2 "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU $2 "Publisher" "Velmora"
  WriteRegStr HKCU $2 "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU $2 "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU $2 "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU $2 "NoModify" 1
  WriteRegDWORD HKCU $2 "NoRepair" 1
SectionEnd

; Removes what the installer put into this folder and the uninstall entries
; that point at it; the settings only when asked (/REMOVESETTINGS, or yes to
; the question), since a new installation would take them over.
Section "Uninstall"
  Delete "$INSTDIR\velmora.dll"
  Delete "$INSTDIR\velmora64.dll"
  Delete "$INSTDIR\${ID_FILE}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ${ForEach} $0 32 64 + 32
    ReadRegStr $1 HKCU "${UNINSTALL_KEY} ($0-bit host)" "InstallLocation"
    ${If} $1 == $INSTDIR
      DeleteRegKey HKCU "${UNINSTALL_KEY} ($0-bit host)"
    ${EndIf}
  ${Next}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
  ${OrIf} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION "Remove the Velmora settings of this Windows user as well (server address, port, auto-connect, account)?" /SD IDNO IDYES`
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\ZUZ\Velmora"
    DeleteRegKey /ifempty HKCU "Software\ZUZ"
  ${EndIf}
SectionEnd
