<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>InstallingUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>卸载</translation>
    </message>
    <message>
        <source>UndoMerge</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>MainWindowUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>卸载</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Confirm</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>TheClientIsRunningPrnptTrdtT</source>
        <translation>客户端正在运行，请先关闭后再试。</translation>
    </message>
    <message>
        <source>DetermineTheUninstalfYANYiIa</source>
        <translation>确定要卸载软件吗？</translation>
    </message>
    <message>
        <source>ThisSoftwareIsNotCurmXqDCfI</source>
        <translation>当前未安装本软件。</translation>
    </message>
    <message>
        <source>ConfirmUninstallOemAjtmnj</source>
        <translation>确定要取消卸载吗？</translation>
    </message>
    <message>
        <source>BeganToUnloadWkJrSaJaAq</source>
        <translation>正在卸载……</translation>
    </message>
    <message>
        <source>DeleteShortcutULXVgdVTs</source>
        <translation>正在删除快捷方式……</translation>
    </message>
    <message>
        <source>ClearTheRegistryeuyqTkYHjj</source>
        <translation>正在清除注册表项……</translation>
    </message>
    <message>
        <source>Uninstalled</source>
        <translation>卸载完成</translation>
    </message>
    <message>
        <source>NotEverythingWasRemovedHxQpLm</source>
        <translation>卸载完成，但有部分内容未能删除</translation>
    </message>
    <message>
        <source>AndMoreLeftoversTqWnZr</source>
        <translation>（另有 %1 项）</translation>
    </message>
    <message>
        <source>This installation was made by the package manager (package %1); remove it with the package manager:
sudo apt remove %1</source>
        <translation>此安装由软件包管理器完成（软件包 %1），请用软件包管理器卸载：
sudo apt remove %1</translation>
    </message>
    <message>
        <source>%1 is running from %2 (process %3).</source>
        <translation>%1 正在运行，位于 %2（进程 %3）。</translation>
    </message>
    <message>
        <source>Install folder: %1</source>
        <translation>安装目录：%1</translation>
    </message>
    <message>
        <source>Saved videos and pictures are kept: %1</source>
        <translation>已保存的视频和图片将保留：%1</translation>
    </message>
    <message>
        <source>Kept, as they hold files the installation did not make: %1</source>
        <translation>以下目录含有非安装产生的文件，已保留：%1</translation>
    </message>
    <message>
        <source>Nothing was removed</source>
        <translation>未删除任何内容</translation>
    </message>
    <message>
        <source>KEL cannot be uninstalled:
%1</source>
        <translation>无法卸载 KEL：
%1</translation>
    </message>
    <message>
        <source>KEL in %1 was installed by an administrator. To remove it, run as administrator:
%2</source>
        <translation>%1 中的 KEL 由管理员安装。如需卸载，请以管理员身份运行：
%2</translation>
    </message>
</context>
<context>
    <name>UnInstallCompletedUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>卸载</translation>
    </message>
    <message>
        <source>Uninstalled</source>
        <translation>卸载完成</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>完成</translation>
    </message>
</context>
<context>
    <name>UpperWidgeUI</name>
    <message>
        <source>MainWindowUI</source>
        <translation>卸载</translation>
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
