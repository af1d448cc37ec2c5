<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>InstallingUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Uninstall</translation>
    </message>
    <message>
        <source>UndoMerge</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>MainWindowUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Uninstall</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>Success</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>TheClientIsRunningPrnptTrdtT</source>
        <translation>The client is running. Please close it and try again.</translation>
    </message>
    <message>
        <source>DetermineTheUninstalfYANYiIa</source>
        <translation>Are you sure you want to uninstall the software?</translation>
    </message>
    <message>
        <source>ThisSoftwareIsNotCurmXqDCfI</source>
        <translation>This software is not currently installed.</translation>
    </message>
    <message>
        <source>ConfirmUninstallOemAjtmnj</source>
        <translation>Do you want to cancel the uninstall?</translation>
    </message>
    <message>
        <source>BeganToUnloadWkJrSaJaAq</source>
        <translation>Uninstalling...</translation>
    </message>
    <message>
        <source>DeleteShortcutULXVgdVTs</source>
        <translation>Removing shortcuts...</translation>
    </message>
    <message>
        <source>ClearTheRegistryeuyqTkYHjj</source>
        <translation>Clearing the registry entry...</translation>
    </message>
    <message>
        <source>Uninstalled</source>
        <translation>Uninstalled</translation>
    </message>
    <message>
        <source>NotEverythingWasRemovedHxQpLm</source>
        <translation>Uninstalled, but some items could not be removed</translation>
    </message>
    <message>
        <source>AndMoreLeftoversTqWnZr</source>
        <translation> (+%1 more)</translation>
    </message>
    <message>
        <source>This installation was made by the package manager (package %1); remove it with the package manager:
sudo apt remove %1</source>
        <translation>This installation was made by the package manager (package %1); remove it with the package manager:
sudo apt remove %1</translation>
    </message>
    <message>
        <source>%1 is running from %2 (process %3).</source>
        <translation>%1 is running from %2 (process %3).</translation>
    </message>
    <message>
        <source>Install folder: %1</source>
        <translation>Install folder: %1</translation>
    </message>
    <message>
        <source>Saved videos and pictures are kept: %1</source>
        <translation>Saved videos and pictures are kept: %1</translation>
    </message>
    <message>
        <source>Kept, as they hold files the installation did not make: %1</source>
        <translation>Kept, as they hold files the installation did not make: %1</translation>
    </message>
    <message>
        <source>Nothing was removed</source>
        <translation>Nothing was removed</translation>
    </message>
    <message>
        <source>KEL cannot be uninstalled:
%1</source>
        <translation>KEL cannot be uninstalled:
%1</translation>
    </message>
    <message>
        <source>KEL in %1 was installed by an administrator. To remove it, run as administrator:
%2</source>
        <translation>KEL in %1 was installed by an administrator. To remove it, run as administrator:
%2</translation>
    </message>
</context>
<context>
    <name>UnInstallCompletedUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Uninstall</translation>
    </message>
    <message>
        <source>Uninstalled</source>
        <translation>Uninstalled</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Completed</translation>
    </message>
</context>
<context>
    <name>UpperWidgeUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>Uninstall</translation>
    </message>
</context>
<context>
    <name>appinstaller::CustomTitleWidget</name>
    <message>
        <source>Qorvane KEL</source>
        <translation>Qorvane KEL</translation>
    </message>
</context>
</TS>
