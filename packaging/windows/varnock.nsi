; The Varnock installer. varnock.sh winbuild makes it from the installed program's folder:
;   makensis -DVERSION=1.1.0 -DSTAGE=<folder> -DOUTFILE=<setup.exe> -DFILES=<list.nsh> varnock.nsi
; STAGE is the folder "cmake --install" fills; FILES lists its files for the uninstaller, which
; removes those and nothing else.
Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Varnock"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnock"
; Where UI-View32 records its folder, with its final separator.
!define UIVIEW32_KEY "Software\VB and VBA Program Settings\Peak Systems\UI-View32"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GPL-3.0-or-later"
VIAddVersionKey /LANG=1033 "CompanyName" "The Varnock developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Varnock.exe"
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var uiviewFolder

; The four lines UI-View32 reads from its add-on entry, naming this installation's Varnock.exe.
!macro AddOnCommand out
    StrCpy ${out} '"$INSTDIR\Varnock.exe"'
!macroend

Section "Varnock"
    SetOutPath "$INSTDIR"
    File /r "${STAGE}/*.*"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    SetShellVarContext all
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Varnock.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Varnock developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "https://varnock.org/"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Varnock.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}

    ; Elevated, the installer may write into UI-View32's folder where Varnock itself, under Program
    ; Files (x86), may not. An entry already there is left as it is, as Varnock leaves it.
    ReadRegStr $uiviewFolder HKCU "${UIVIEW32_KEY}" "Program Folder"
    ${If} $uiviewFolder != ""
    ${AndIf} ${FileExists} "$uiviewFolder*.*"
    ${AndIfNot} ${FileExists} "$uiviewFolderVarnock.xtr"
        StrCpy $0 $uiviewFolder 1 -1
        ${If} $0 == "\"
            !insertmacro AddOnCommand $1
            ClearErrors
            FileOpen $2 "$uiviewFolderVarnock.xtr" w
            ${IfNot} ${Errors}
                FileWrite $2 "Varnock$\r$\n$1$\r$\nFalse$\r$\nFalse$\r$\n"
                FileClose $2
                DetailPrint "Added Varnock to UI-View32's add-ons in $uiviewFolder"
            ${EndIf}
        ${EndIf}
    ${EndIf}
SectionEnd

Section "Uninstall"
    !include "${FILES}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    ; UI-View32's add-on entry goes only where it still names this installation's Varnock.exe.
    ReadRegStr $uiviewFolder HKCU "${UIVIEW32_KEY}" "Program Folder"
    ${If} $uiviewFolder != ""
    ${AndIf} ${FileExists} "$uiviewFolderVarnock.xtr"
        ClearErrors
        FileOpen $2 "$uiviewFolderVarnock.xtr" r
        ${IfNot} ${Errors}
            FileRead $2 $3
            FileRead $2 $3
            FileClose $2
            ; The line without its line end (CR LF, as written, or a bare LF).
            StrCpy $4 $3 1 -1
            ${If} $4 == "$\n"
                StrCpy $3 $3 -1
            ${EndIf}
            StrCpy $4 $3 1 -1
            ${If} $4 == "$\r"
                StrCpy $3 $3 -1
            ${EndIf}
            !insertmacro AddOnCommand $1
            ${If} $3 == $1
                Delete "$uiviewFolderVarnock.xtr"
            ${EndIf}
        ${EndIf}
    ${EndIf}
SectionEnd
