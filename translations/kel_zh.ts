<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en_US">
<context>
    <name>APT_QMR::CStreamDownloader</name>
    <message>
        <source>The download is incomplete: nothing complete was saved.</source>
        <translation>下载未完成：没有保存任何完整内容。</translation>
    </message>
    <message>
        <source>The download is incomplete. What was saved up to its end: %1</source>
        <translation>下载未完成。已保存到中断处的内容：%1</translation>
    </message>
</context>
<context>
    <name>AboutDialog</name>
    <message>
        <source>Check Update</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>User Help</source>
        <translation>用户帮助</translation>
    </message>
    <message>
        <source>Licenses</source>
        <translation>许可证</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>名称：</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>版本：</translation>
    </message>
    <message>
        <source>License:</source>
        <translation>许可证：</translation>
    </message>
    <message>
        <source>build</source>
        <translation>构建</translation>
    </message>
    <message>
        <source>Hint</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>No user manual found.</source>
        <translation>未找到用户手册。</translation>
    </message>
    <message>
        <source>The user manual %1 could not be opened: no program to show it is set up on this computer. Open the file with a web browser or a document viewer.</source>
        <translation>用户手册 %1 无法打开：本机没有设置显示此类文件的程序。请用网页浏览器或文档查看器打开该文件。</translation>
    </message>
    <message>
        <source>The folder of licence texts %1 is missing.</source>
        <translation>许可证文本文件夹 %1 不存在。</translation>
    </message>
    <message>
        <source>The folder of licence texts %1 could not be opened: no file manager is set up on this computer. Open the folder with a file manager, or its texts with a text editor.</source>
        <translation>许可证文本文件夹 %1 无法打开：本机没有设置文件管理器。请用文件管理器打开该文件夹，或用文本编辑器阅读其中的文本。</translation>
    </message>
</context>
<context>
    <name>AlarmWidget</name>
    <message>
        <source>AlarmWidget</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>StartstopTimeeWuzHqGN</source>
        <translation>起止时间</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>Query</source>
        <translation>查询</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>AlarmType</source>
        <translation>报警类型</translation>
    </message>
</context>
<context>
    <name>CAlarmCheckedModel</name>
    <message>
        <source>Unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>SmokingiSwnxfh</source>
        <translation>抽烟</translation>
    </message>
    <message>
        <source>AnswerThePhonemPNzgYkL</source>
        <translation>接打电话</translation>
    </message>
    <message>
        <source>FatigueDrivingcttFiWkY</source>
        <translation>疲劳驾驶</translation>
    </message>
    <message>
        <source>ADistractionToRemindnvRdnVff</source>
        <translation>分神提醒</translation>
    </message>
    <message>
        <source>DriverAnomalyMpPHjbwf</source>
        <translation>驾驶员异常</translation>
    </message>
    <message>
        <source>NotBuckledUp</source>
        <translation>未系安全带</translation>
    </message>
    <message>
        <source>PickUpGoodskSZxVFP</source>
        <translation>拿取物品</translation>
    </message>
    <message>
        <source>YawninglwmkwsOd</source>
        <translation>打哈欠</translation>
    </message>
    <message>
        <source>EatAndDrinkfanQTADi</source>
        <translation>吃喝</translation>
    </message>
    <message>
        <source>ChatomdyRnIE</source>
        <translation>聊天</translation>
    </message>
    <message>
        <source>VideoTampering</source>
        <translation>视频遮挡</translation>
    </message>
    <message>
        <source>WorkClothesNotWornRLTwujYV</source>
        <translation>未穿工作服</translation>
    </message>
    <message>
        <source>InfraredBlockingSungzToZeHOo</source>
        <translation>红外阻断墨镜</translation>
    </message>
    <message>
        <source>AbnormalDriverIdentiYEajWWLY</source>
        <translation>驾驶员身份异常</translation>
    </message>
    <message>
        <source>TimeOfOccurrence</source>
        <translation>发生时间</translation>
    </message>
    <message>
        <source>AlarmChannelNameJzmkhgDE</source>
        <translation>报警通道</translation>
    </message>
    <message>
        <source>AlarmType</source>
        <translation>报警类型</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
</context>
<context>
    <name>CAlarmSearchThread</name>
    <message>
        <source>DVR Video</source>
        <translation>DVR录像</translation>
    </message>
</context>
<context>
    <name>CAlarmTypeCheckedModel</name>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
</context>
<context>
    <name>CAlarmWidget</name>
    <message>
        <source>Hint</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>PleaseSeleJuzmqbfo</source>
        <translation>请选择通道。</translation>
    </message>
    <message>
        <source>PleaseSelectAlarmTypegNJVOICO</source>
        <translation>请选择报警类型。</translation>
    </message>
    <message>
        <source>SearchHCU29A3C</source>
        <translation>正在搜索...</translation>
    </message>
    <message>
        <source>No Alarm had been searched</source>
        <translation>尚未搜索报警。</translation>
    </message>
    <message>
        <source>TimeOfOccurrence</source>
        <translation>发生时间</translation>
    </message>
    <message>
        <source>AlarmChannelNameJzmkhgDE</source>
        <translation>报警通道</translation>
    </message>
    <message>
        <source>AlarmType</source>
        <translation>报警类型</translation>
    </message>
    <message>
        <source>NoDataCanBeExported</source>
        <translation>没有可导出的数据。</translation>
    </message>
    <message>
        <source>SelectExportContentpbiCojov</source>
        <translation>请选择要导出的报警。</translation>
    </message>
    <message>
        <source>ExportLog</source>
        <translation>导出报警</translation>
    </message>
    <message>
        <source>Files (*.csv)</source>
        <translation>CSV文件 (*.csv)</translation>
    </message>
    <message>
        <source>ExportSuccessful</source>
        <translation>导出成功。</translation>
    </message>
    <message>
        <source>ChannelRKQ33T39</source>
        <translation>通道</translation>
    </message>
</context>
<context>
    <name>CCaptureView</name>
    <message>
        <source>AlarmPicture</source>
        <translation>报警图片</translation>
    </message>
    <message>
        <source>The picture could not be saved to %1.</source>
        <translation>图片无法保存到 %1。</translation>
    </message>
</context>
<context>
    <name>CCaptureViewUI</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>ChannelRKQ33T39</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>NoPictures</source>
        <translation>无图片</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>CChannelCheckedModel</name>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>ChannelRKQ33T39</source>
        <translation>通道</translation>
    </message>
</context>
<context>
    <name>CCustomPlayerFrameUI</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>NoVideo</source>
        <translation>无视频</translation>
    </message>
</context>
<context>
    <name>CDataDistributionThread</name>
    <message>
        <source>Wait</source>
        <translation>等待</translation>
    </message>
</context>
<context>
    <name>CDiskTreeBox</name>
    <message>
        <source>Others </source>
        <translation>其他 </translation>
    </message>
    <message>
        <source>Physical Disk </source>
        <translation>物理磁盘 </translation>
    </message>
</context>
<context>
    <name>CLogDiskBox</name>
    <message>
        <source>Others </source>
        <translation>其他 </translation>
    </message>
    <message>
        <source>Physical Disk </source>
        <translation>物理磁盘 </translation>
    </message>
</context>
<context>
    <name>CLogWriteThread</name>
    <message>
        <source>ChannelNo</source>
        <translation>ChannelNo</translation>
    </message>
    <message>
        <source>DiskNo</source>
        <translation>DiskNo</translation>
    </message>
    <message>
        <source>AlarmInput</source>
        <translation>AlarmInput</translation>
    </message>
    <message>
        <source>AlarmOutput</source>
        <translation>AlarmOutput</translation>
    </message>
</context>
<context>
    <name>CLorrimaxClass</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Download By File</source>
        <translation>按文件下载</translation>
    </message>
    <message>
        <source>Download By Time</source>
        <translation>按时间下载</translation>
    </message>
    <message>
        <source>Time Period 1</source>
        <translation>时间段1</translation>
    </message>
    <message>
        <source>Time Period 2</source>
        <translation>时间段2</translation>
    </message>
    <message>
        <source>Time Period 3</source>
        <translation>时间段3</translation>
    </message>
    <message>
        <source>Time Period 4</source>
        <translation>时间段4</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>结束时间</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>All selected files size:</source>
        <translation>所选文件总大小：</translation>
    </message>
    <message>
        <source>The remaining disk space size:</source>
        <translation>磁盘剩余空间：</translation>
    </message>
    <message>
        <source>File Save Path:</source>
        <translation>文件保存路径：</translation>
    </message>
    <message>
        <source>DownLoad</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Cannel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>CMultiChartView</name>
    <message>
        <source>Zoom out: a longer time span</source>
        <translation>缩小：显示更长的时间段</translation>
    </message>
    <message>
        <source>Zoom in: a shorter time span</source>
        <translation>放大：显示更短的时间段</translation>
    </message>
    <message>
        <source>Earlier</source>
        <translation>向前</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>向后</translation>
    </message>
</context>
<context>
    <name>CPlaybackDownLoad</name>
    <message>
        <source>Start Time</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>结束时间</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>大小</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>RodoroZOD</source>
        <translation>下载文件</translation>
    </message>
    <message>
        <source>Files download</source>
        <translation>文件下载</translation>
    </message>
    <message>
        <source>The segment</source>
        <translation>时间段</translation>
    </message>
    <message>
        <source>the start time should be earlier than end time.</source>
        <translation>开始时间应早于结束时间。</translation>
    </message>
    <message>
        <source>The time cross.</source>
        <translation>时间段重叠。</translation>
    </message>
    <message>
        <source>No file to download.</source>
        <translation>没有可下载的文件。</translation>
    </message>
    <message>
        <source>At least 2G disk space is need.</source>
        <translation>至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>Manual Stop</source>
        <translation>手动停止</translation>
    </message>
    <message>
        <source>DownLoad Exception.</source>
        <translation>下载异常。</translation>
    </message>
    <message>
        <source>Download Exception</source>
        <translation>下载异常</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>正在下载</translation>
    </message>
    <message>
        <source>Download Completed</source>
        <translation>下载完成</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Disk space is not enough. At least 2G disk space is need.</source>
        <translation>磁盘空间不足，至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>Downloading, please wait or stop.</source>
        <translation>正在下载，请等待或停止下载。</translation>
    </message>
    <message>
        <source>Download Incomplete</source>
        <translation>下载未完成</translation>
    </message>
    <message>
        <source>Disk</source>
        <translation>磁盘</translation>
    </message>
</context>
<context>
    <name>CPlaybackDownloadClass</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Download By File</source>
        <translation>按文件下载</translation>
    </message>
    <message>
        <source>Download By Time</source>
        <translation>按时间下载</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>结束时间</translation>
    </message>
    <message>
        <source>Time Period 1</source>
        <translation>时间段1</translation>
    </message>
    <message>
        <source>Time Period 2</source>
        <translation>时间段2</translation>
    </message>
    <message>
        <source>Time Period 3</source>
        <translation>时间段3</translation>
    </message>
    <message>
        <source>Time Period 4</source>
        <translation>时间段4</translation>
    </message>
    <message>
        <source>All selected files size:</source>
        <translation>所选文件总大小：</translation>
    </message>
    <message>
        <source>The remaining disk space size:</source>
        <translation>磁盘剩余空间：</translation>
    </message>
    <message>
        <source>File Save Path:</source>
        <translation>文件保存路径：</translation>
    </message>
    <message>
        <source>DownLoad</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Cannel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>CTimeSliderFilterPopup</name>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>CUiPlayerWndBottom</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
</context>
<context>
    <name>CUiPlayerWndCustomBottom</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>播放</translation>
    </message>
    <message>
        <source>00:02:00</source>
        <translation>00:02:00</translation>
    </message>
    <message>
        <source>/</source>
        <translation>/</translation>
    </message>
    <message>
        <source>00:04:00</source>
        <translation>00:04:00</translation>
    </message>
</context>
<context>
    <name>CVideoView</name>
    <message>
        <source>AlarmVideo</source>
        <translation>报警视频</translation>
    </message>
    <message>
        <source>InsufficientDiskSpace</source>
        <translation>磁盘空间不足。</translation>
    </message>
    <message>
        <source>DownloadException</source>
        <translation>下载异常。</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
</context>
<context>
    <name>CVideoViewClass</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>ChannelRKQ33T39</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>00:02:00</source>
        <translation>00:02:00</translation>
    </message>
    <message>
        <source>/</source>
        <translation>/</translation>
    </message>
    <message>
        <source>00:04:00</source>
        <translation>00:04:00</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>DiskEnum</name>
    <message>
        <source>the disk is not attached</source>
        <translation>磁盘未连接</translation>
    </message>
    <message>
        <source>The drive table %1 (named by KEL_DRIVES) cannot be read: %2. No disk is listed; correct the file or unset KEL_DRIVES to list the disks of this computer, then press Refresh.</source>
        <translation>无法读取驱动器表 %1（由 KEL_DRIVES 指定）：%2。未列出任何磁盘；请修正该文件，或取消 KEL_DRIVES 以列出本机的磁盘，然后点击“刷新”。</translation>
    </message>
    <message>
        <source>The drive table %1 (named by KEL_DRIVES) has lines that were left out: %2.</source>
        <translation>驱动器表 %1（由 KEL_DRIVES 指定）中有些行被忽略：%2。</translation>
    </message>
</context>
<context>
    <name>GravitySensorWidget</name>
    <message>
        <source>GravitySensorWidget</source>
        <translation>重力传感器</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>Z</source>
        <translation>Z</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>速度</translation>
    </message>
    <message>
        <source> G</source>
        <translation> G</translation>
    </message>
    <message>
        <source>X : </source>
        <translation>X：</translation>
    </message>
    <message>
        <source>Y : </source>
        <translation>Y：</translation>
    </message>
    <message>
        <source>Z : </source>
        <translation>Z：</translation>
    </message>
    <message>
        <source>Speed : %1 KPH</source>
        <translation>速度：%1 公里/时</translation>
    </message>
</context>
<context>
    <name>InquiryIfUpdatePromptDialog</name>
    <message>
        <source>InquiryIfUpdatePromptDialog</source>
        <translation>升级检测</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>启用</translation>
    </message>
    <message>
        <source>Disable</source>
        <translation>禁用</translation>
    </message>
    <message>
        <source>Upgrade Detect</source>
        <translation>升级检测</translation>
    </message>
    <message>
        <source>Enable upgrade detection will automatically prompt new relased version, enable it?</source>
        <translation>启用升级检测后将自动提示新发布的版本，是否启用？</translation>
    </message>
</context>
<context>
    <name>LoadingWidget</name>
    <message>
        <source>LoadingWidget</source>
        <translation>加载中</translation>
    </message>
</context>
<context>
    <name>LogWidget</name>
    <message>
        <source>ID</source>
        <translation>序号</translation>
    </message>
    <message>
        <source>Operation time</source>
        <translation>操作时间</translation>
    </message>
    <message>
        <source>Major Type</source>
        <translation>主类型</translation>
    </message>
    <message>
        <source>Minor Type</source>
        <translation>次类型</translation>
    </message>
    <message>
        <source>Local Operator</source>
        <translation>本地操作用户</translation>
    </message>
    <message>
        <source>Remote Operator</source>
        <translation>远程操作用户</translation>
    </message>
    <message>
        <source>Remote Host Address</source>
        <translation>远程主机地址</translation>
    </message>
    <message>
        <source>Parameter Type</source>
        <translation>参数类型</translation>
    </message>
    <message>
        <source>Channel No</source>
        <translation>通道号</translation>
    </message>
    <message>
        <source>Disk No</source>
        <translation>硬盘号</translation>
    </message>
    <message>
        <source>Alarm Input</source>
        <translation>报警输入</translation>
    </message>
    <message>
        <source>Alarm Output</source>
        <translation>报警输出</translation>
    </message>
    <message>
        <source>LogWidget</source>
        <translation>日志</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>开始：</translation>
    </message>
    <message>
        <source>Disk Name:</source>
        <translation>磁盘名称：</translation>
    </message>
    <message>
        <source>Check</source>
        <translation>查询</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>Major Type:</source>
        <translation>主类型：</translation>
    </message>
    <message>
        <source>Minor Type:</source>
        <translation>次类型：</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>Exception</source>
        <translation>异常</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Please select the search partion</source>
        <translation>请选择要搜索的分区</translation>
    </message>
    <message>
        <source>Please select the right partion</source>
        <translation>请选择正确的分区</translation>
    </message>
    <message>
        <source>Please select the main type</source>
        <translation>请选择主类型</translation>
    </message>
    <message>
        <source>The start time should be earlier than end time.</source>
        <translation>开始时间应早于结束时间。</translation>
    </message>
    <message>
        <source>You can only search log within 30 days</source>
        <translation>只能搜索30天以内的日志</translation>
    </message>
    <message>
        <source>The log should less than 2000, Please constrain the Parameter!</source>
        <translation>日志数量应少于2000条，请缩小查询条件！</translation>
    </message>
    <message>
        <source>No log found!</source>
        <translation>未找到日志！</translation>
    </message>
    <message>
        <source>No log had been searched</source>
        <translation>尚未搜索日志</translation>
    </message>
    <message>
        <source>Select backup path</source>
        <translation>选择备份路径</translation>
    </message>
    <message>
        <source>XML(*.xml)</source>
        <translation>XML文件 (*.xml)</translation>
    </message>
    <message>
        <source>File path cannot be empty.</source>
        <translation>文件路径不能为空。</translation>
    </message>
    <message>
        <source>Open file failed!</source>
        <translation>打开文件失败！</translation>
    </message>
    <message>
        <source>Backup successful.</source>
        <translation>备份成功。</translation>
    </message>
    <message>
        <source>Backup Failed.</source>
        <translation>备份失败。</translation>
    </message>
    <message>
        <source>Unknown error.</source>
        <translation>未知错误。</translation>
    </message>
</context>
<context>
    <name>Lorrimax</name>
    <message>
        <source>Lorrimax</source>
        <translation>Lorrimax</translation>
    </message>
    <message>
        <source>Disk</source>
        <translation>磁盘</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>结束时间</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>大小</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>RodoroZOD</source>
        <translation>下载文件</translation>
    </message>
    <message>
        <source>Files download</source>
        <translation>文件下载</translation>
    </message>
    <message>
        <source>The disk list &quot;%1&quot; cannot be read.</source>
        <translation>无法读取磁盘列表“%1”。</translation>
    </message>
    <message>
        <source>The search result &quot;%1&quot; cannot be read.</source>
        <translation>无法读取搜索结果“%1”。</translation>
    </message>
    <message>
        <source>%1 unknown entries of the search result were left out.</source>
        <translation>搜索结果中有%1个未知条目被忽略。</translation>
    </message>
    <message>
        <source>%1 files with invalid times were left out.</source>
        <translation>有%1个时间无效的文件被忽略。</translation>
    </message>
    <message>
        <source>The folder name must not contain \ / : * ? &quot; &lt; &gt; | or be only dots.</source>
        <translation>文件夹名称不能包含 \ / : * ? &quot; &lt; &gt; | ，也不能只由点组成。</translation>
    </message>
    <message>
        <source>No file to download.</source>
        <translation>没有可下载的文件。</translation>
    </message>
    <message>
        <source>At least 2G disk space is need.</source>
        <translation>至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>The segment</source>
        <translation>时间段</translation>
    </message>
    <message>
        <source>the start time should be earlier than end time.</source>
        <translation>开始时间应早于结束时间。</translation>
    </message>
    <message>
        <source>The time cross.</source>
        <translation>时间段重叠。</translation>
    </message>
    <message>
        <source>Download Exception</source>
        <translation>下载异常</translation>
    </message>
    <message>
        <source>Manual Stop</source>
        <translation>手动停止</translation>
    </message>
    <message>
        <source>Download Completed</source>
        <translation>下载完成</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Disk space is not enough. At least 2G disk space is need.</source>
        <translation>磁盘空间不足，至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>Downloading, please wait or stop.</source>
        <translation>正在下载，请等待或停止下载。</translation>
    </message>
    <message>
        <source>%1 of %2 files downloaded completely.</source>
        <translation>已完整下载 %1/%2 个文件。</translation>
    </message>
    <message>
        <source>Failed: %1.</source>
        <translation>失败：%1。</translation>
    </message>
    <message>
        <source>Incomplete: %1.</source>
        <translation>未完成：%1。</translation>
    </message>
    <message>
        <source>Download Incomplete</source>
        <translation>下载未完成</translation>
    </message>
    <message>
        <source>Downloading %1%</source>
        <translation>正在下载 %1%</translation>
    </message>
    <message>
        <source>folder not writable</source>
        <translation>文件夹不可写</translation>
    </message>
    <message>
        <source>recording missing</source>
        <translation>录像文件缺失</translation>
    </message>
    <message>
        <source>disk full</source>
        <translation>磁盘空间已满</translation>
    </message>
    <message>
        <source>Download Exception: %1</source>
        <translation>下载异常：%1</translation>
    </message>
    <message>
        <source>Time Period</source>
        <translation>时间段</translation>
    </message>
    <message>
        <source>%1 more failed files: their status in the table says why.</source>
        <translation>另有%1个文件下载失败：原因见表中状态。</translation>
    </message>
    <message>
        <source>Channel %1, %2 - %3: %4</source>
        <translation>通道%1，%2 - %3：%4</translation>
    </message>
    <message>
        <source>Nothing to download: there is no search result (&quot;%2&quot;) in the program folder %1. Search in KEL and press Download on its search panel; KEL then starts this program with the files it found.</source>
        <translation>没有可下载的文件：程序文件夹 %1 中没有搜索结果（&quot;%2&quot;）。请在 KEL 中搜索，然后点击搜索面板上的“下载”；KEL 会带着找到的文件启动本程序。</translation>
    </message>
</context>
<context>
    <name>MultiCheckedCombox</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>···</source>
        <translation>···</translation>
    </message>
    <message>
        <source>Select...</source>
        <translation>请选择</translation>
    </message>
</context>
<context>
    <name>OperateSelWidget</name>
    <message>
        <source>OperateSelWidget</source>
        <translation>页面</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>回放</translation>
    </message>
    <message>
        <source>Evidence</source>
        <translation>取证</translation>
    </message>
    <message>
        <source>TrackPlayback</source>
        <translation>轨迹回放</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>日志</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>设置</translation>
    </message>
</context>
<context>
    <name>PictureShowModel</name>
    <message>
        <source>PictureName</source>
        <translation>图片名称</translation>
    </message>
</context>
<context>
    <name>PlayControlBar</name>
    <message>
        <source>PlayControlBar</source>
        <translation>播放控制栏</translation>
    </message>
    <message>
        <source>Play All</source>
        <translation>全部播放</translation>
    </message>
    <message>
        <source>Pause All</source>
        <translation>全部暂停</translation>
    </message>
    <message>
        <source>Normal All</source>
        <translation>全部正常速度</translation>
    </message>
    <message>
        <source>Close All</source>
        <translation>全部关闭</translation>
    </message>
    <message>
        <source>Reverse Play</source>
        <translation>倒放</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Single Frame(Reverse)</source>
        <translation>单帧（倒放）</translation>
    </message>
    <message>
        <source>Single Frame</source>
        <translation>单帧</translation>
    </message>
    <message>
        <source>Slow Forward</source>
        <translation>慢放</translation>
    </message>
    <message>
        <source>Fast Forward</source>
        <translation>快放</translation>
    </message>
    <message>
        <source>Synchronous Playback</source>
        <translation>同步回放</translation>
    </message>
    <message>
        <source>Asynchronous Playback</source>
        <translation>异步回放</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>Clip</source>
        <translation>剪辑</translation>
    </message>
    <message>
        <source>Windown Infomation</source>
        <translation>窗口信息</translation>
    </message>
    <message>
        <source>Layout</source>
        <translation>布局</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>地图</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>全屏</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
</context>
<context>
    <name>PlaybackWindow</name>
    <message>
        <source>Window</source>
        <translation>窗口</translation>
    </message>
    <message>
        <source>Failed to play video.</source>
        <translation>视频播放失败。</translation>
    </message>
    <message>
        <source>Please select a playing window to sync.</source>
        <translation>请选择要同步的播放窗口。</translation>
    </message>
    <message>
        <source>Please select a playing window to unsync.</source>
        <translation>请选择要取消同步的播放窗口。</translation>
    </message>
    <message>
        <source>Some channel not play because not enough window.</source>
        <translation>窗口数量不足，部分通道未播放。</translation>
    </message>
    <message>
        <source>No video in selected window.</source>
        <translation>所选窗口中没有视频。</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>The file %1 cannot be played: it is damaged or it is not a video file.</source>
        <translation>文件 %1 无法播放：文件已损坏或不是视频文件。</translation>
    </message>
    <message>
        <source>The video has reached the end: %1</source>
        <translation>录像已播放到结尾：%1</translation>
    </message>
</context>
<context>
    <name>ProgramFolder</name>
    <message>
        <source>The program folder %1 named by KEL_HOME does not exist.</source>
        <translation>KEL_HOME 指定的程序文件夹 %1 不存在。</translation>
    </message>
    <message>
        <source>The program folder %1 could not be made.</source>
        <translation>无法创建程序文件夹 %1。</translation>
    </message>
    <message>
        <source>The program folder %1 cannot be written to.</source>
        <translation>程序文件夹 %1 无法写入。</translation>
    </message>
    <message>
        <source>It holds no translations: the texts are shown untranslated.</source>
        <translation>其中没有翻译文件：界面文字未经翻译。</translation>
    </message>
    <message>
        <source>Settings cannot be kept.</source>
        <translation>设置无法保存。</translation>
    </message>
    <message>
        <source>Downloads, clips and snapshots are saved to the folders the settings name (downloads: %1).</source>
        <translation>下载、剪辑和抓图保存到设置中指定的文件夹（下载：%1）。</translation>
    </message>
    <message>
        <source>Nothing can be saved: no folder to save to is set that can be written.</source>
        <translation>无法保存任何文件：未设置可写入的保存文件夹。</translation>
    </message>
    <message>
        <source>Correct KEL_HOME, or prepare the folder with scripts/prepare-home.sh.</source>
        <translation>请修正 KEL_HOME，或用 scripts/prepare-home.sh 准备该文件夹。</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Alarm Input</source>
        <translation>报警输入</translation>
    </message>
    <message>
        <source>Alarm Output</source>
        <translation>报警输出</translation>
    </message>
    <message>
        <source>Motion Detection Starts</source>
        <translation>移动侦测开始</translation>
    </message>
    <message>
        <source>Motion Detection Stops</source>
        <translation>移动侦测结束</translation>
    </message>
    <message>
        <source>Video Tampering Starts</source>
        <translation>视频遮挡开始</translation>
    </message>
    <message>
        <source>Video Tampering Stops</source>
        <translation>视频遮挡结束</translation>
    </message>
    <message>
        <source>VCA Alarm Starts</source>
        <translation>智能分析报警开始</translation>
    </message>
    <message>
        <source>VCA Alarm Stops</source>
        <translation>智能分析报警结束</translation>
    </message>
    <message>
        <source>ITS Alarm Starts</source>
        <translation>交通事件报警开始</translation>
    </message>
    <message>
        <source>ITS Alarm Stops</source>
        <translation>交通事件报警结束</translation>
    </message>
    <message>
        <source>Abnormal Driving Behavior</source>
        <translation>异常驾驶行为</translation>
    </message>
    <message>
        <source>Wireless Alarm Starts</source>
        <translation>无线报警开始</translation>
    </message>
    <message>
        <source>Wireless Alarm Stops</source>
        <translation>无线报警结束</translation>
    </message>
    <message>
        <source>Pir Alarm Starts</source>
        <translation>PIR报警开始</translation>
    </message>
    <message>
        <source>Pir Alarm Stops</source>
        <translation>PIR报警结束</translation>
    </message>
    <message>
        <source>Emergency Alarm Starts</source>
        <translation>紧急报警开始</translation>
    </message>
    <message>
        <source>Emergency Alarm Stops</source>
        <translation>紧急报警结束</translation>
    </message>
    <message>
        <source>Detect Face Starts</source>
        <translation>人脸侦测开始</translation>
    </message>
    <message>
        <source>Detect Face Stops</source>
        <translation>人脸侦测结束</translation>
    </message>
    <message>
        <source>VQD Alarm Starts</source>
        <translation>视频质量诊断报警开始</translation>
    </message>
    <message>
        <source>VQD Alarm Stops</source>
        <translation>视频质量诊断报警结束</translation>
    </message>
    <message>
        <source>Scene Change Detection</source>
        <translation>场景变更侦测</translation>
    </message>
    <message>
        <source>Region Exiting Start</source>
        <translation>离开区域开始</translation>
    </message>
    <message>
        <source>Region Exiting End</source>
        <translation>离开区域结束</translation>
    </message>
    <message>
        <source>Loitering Start</source>
        <translation>徘徊开始</translation>
    </message>
    <message>
        <source>Loitering End</source>
        <translation>徘徊结束</translation>
    </message>
    <message>
        <source>Traversing Virtual Plane Starts</source>
        <translation>穿越警戒面开始</translation>
    </message>
    <message>
        <source>Traversing Virtual Plane Stops</source>
        <translation>穿越警戒面结束</translation>
    </message>
    <message>
        <source>Intrusion Detection Starts</source>
        <translation>区域入侵开始</translation>
    </message>
    <message>
        <source>Intrusion Detection Stops</source>
        <translation>区域入侵结束</translation>
    </message>
    <message>
        <source>Audio Input Exception</source>
        <translation>音频输入异常</translation>
    </message>
    <message>
        <source>Sudden Change of Sound Intensity</source>
        <translation>声强突变</translation>
    </message>
    <message>
        <source>Defocus Detection Starts</source>
        <translation>虚焦侦测开始</translation>
    </message>
    <message>
        <source>Defocus Detection Stops</source>
        <translation>虚焦侦测结束</translation>
    </message>
    <message>
        <source>IP Camera Ext Alarm</source>
        <translation>网络摄像机外部报警</translation>
    </message>
    <message>
        <source>Face Detection Alarm Started</source>
        <translation>人脸侦测报警开始</translation>
    </message>
    <message>
        <source>Region Entrance Start</source>
        <translation>进入区域开始</translation>
    </message>
    <message>
        <source>Region Entrance End</source>
        <translation>进入区域结束</translation>
    </message>
    <message>
        <source>People Gathering Start</source>
        <translation>人员聚集开始</translation>
    </message>
    <message>
        <source>People Gathering End</source>
        <translation>人员聚集结束</translation>
    </message>
    <message>
        <source>Fast Moving Start</source>
        <translation>快速移动开始</translation>
    </message>
    <message>
        <source>Fast Moving End</source>
        <translation>快速移动结束</translation>
    </message>
    <message>
        <source>Face Detection Alarm Stopped</source>
        <translation>人脸侦测报警结束</translation>
    </message>
    <message>
        <source>Scene Change Detection Starts</source>
        <translation>场景变更侦测开始</translation>
    </message>
    <message>
        <source>Scene Change Detection Stops</source>
        <translation>场景变更侦测结束</translation>
    </message>
    <message>
        <source>Audio Input Exception Starts</source>
        <translation>音频输入异常开始</translation>
    </message>
    <message>
        <source>Audio Input Exception Stops</source>
        <translation>音频输入异常结束</translation>
    </message>
    <message>
        <source>Sudden Change of Sound Intensity Starts</source>
        <translation>声强突变开始</translation>
    </message>
    <message>
        <source>Sudden Change of Sound Intensity Stops</source>
        <translation>声强突变结束</translation>
    </message>
    <message>
        <source>Lecture Start</source>
        <translation>授课开始</translation>
    </message>
    <message>
        <source>Lecture End</source>
        <translation>授课结束</translation>
    </message>
    <message>
        <source>Sound intensity Steep Drop</source>
        <translation>声强陡降</translation>
    </message>
    <message>
        <source>Answering Questions Start</source>
        <translation>回答问题开始</translation>
    </message>
    <message>
        <source>Answering Questions End</source>
        <translation>回答问题结束</translation>
    </message>
    <message>
        <source>Parking Start</source>
        <translation>停车开始</translation>
    </message>
    <message>
        <source>Parking End</source>
        <translation>停车结束</translation>
    </message>
    <message>
        <source>Unattendid Baggage Start</source>
        <translation>物品遗留开始</translation>
    </message>
    <message>
        <source>Unattendid Baggage End</source>
        <translation>物品遗留结束</translation>
    </message>
    <message>
        <source>Object Removal Start</source>
        <translation>物品拿取开始</translation>
    </message>
    <message>
        <source>Object Removal End</source>
        <translation>物品拿取结束</translation>
    </message>
    <message>
        <source>Vehicle Detection Start</source>
        <translation>车辆检测开始</translation>
    </message>
    <message>
        <source>Vehicle Detection End</source>
        <translation>车辆检测结束</translation>
    </message>
    <message>
        <source>Fire Source Detection</source>
        <translation>火点检测</translation>
    </message>
    <message>
        <source>VandalProof Detection Start</source>
        <translation>防破坏检测开始</translation>
    </message>
    <message>
        <source>VandalProof Detection End</source>
        <translation>防破坏检测结束</translation>
    </message>
    <message>
        <source>Video Lost</source>
        <translation>视频丢失</translation>
    </message>
    <message>
        <source>Illegal Access</source>
        <translation>非法访问</translation>
    </message>
    <message>
        <source>HDD Full</source>
        <translation>硬盘满</translation>
    </message>
    <message>
        <source>HDD Fault</source>
        <translation>硬盘错误</translation>
    </message>
    <message>
        <source>DCD Lost</source>
        <translation>DCD丢失</translation>
    </message>
    <message>
        <source>IP Address Conflict</source>
        <translation>IP地址冲突</translation>
    </message>
    <message>
        <source>Network Broken</source>
        <translation>网络断开</translation>
    </message>
    <message>
        <source>Record Fault</source>
        <translation>录像异常</translation>
    </message>
    <message>
        <source>IPC Link Disconnect</source>
        <translation>网络摄像机连接断开</translation>
    </message>
    <message>
        <source>Video Input Exception</source>
        <translation>视频输入异常</translation>
    </message>
    <message>
        <source>IPC Address Conflict</source>
        <translation>网络摄像机地址冲突</translation>
    </message>
    <message>
        <source>Smart Analysis Area Exception</source>
        <translation>智能分析区域异常</translation>
    </message>
    <message>
        <source>Capture Error</source>
        <translation>抓图异常</translation>
    </message>
    <message>
        <source>Video Out Standard Mismatch</source>
        <translation>视频输出制式不匹配</translation>
    </message>
    <message>
        <source>Input/recording resolution mismatch</source>
        <translation>输入与录像分辨率不匹配</translation>
    </message>
    <message>
        <source>Decoder exception</source>
        <translation>解码器异常</translation>
    </message>
    <message>
        <source>Fan Exception</source>
        <translation>风扇异常</translation>
    </message>
    <message>
        <source>Fan Recovery</source>
        <translation>风扇恢复</translation>
    </message>
    <message>
        <source>DSP Exception</source>
        <translation>DSP异常</translation>
    </message>
    <message>
        <source>DSP Exception(Buzzer)</source>
        <translation>DSP异常（蜂鸣器）</translation>
    </message>
    <message>
        <source>Network Status Exception</source>
        <translation>网络状态异常</translation>
    </message>
    <message>
        <source>Memory Status Execption</source>
        <translation>内存状态异常</translation>
    </message>
    <message>
        <source>File Status Execption</source>
        <translation>文件状态异常</translation>
    </message>
    <message>
        <source>Front Panel Exception</source>
        <translation>前面板异常</translation>
    </message>
    <message>
        <source>Front Panel Recovery</source>
        <translation>前面板恢复</translation>
    </message>
    <message>
        <source>RS485 Connect Exception</source>
        <translation>RS485连接异常</translation>
    </message>
    <message>
        <source>RS485 connect Recovery</source>
        <translation>RS485连接恢复</translation>
    </message>
    <message>
        <source>Sub Board Start Exceptionly</source>
        <translation>子板启动异常</translation>
    </message>
    <message>
        <source>Abnormal Temperature</source>
        <translation>温度异常</translation>
    </message>
    <message>
        <source>High temperature protect</source>
        <translation>高温保护</translation>
    </message>
    <message>
        <source>Buffer is not enough</source>
        <translation>缓冲区不足</translation>
    </message>
    <message>
        <source>DSP Abnormal</source>
        <translation>DSP异常</translation>
    </message>
    <message>
        <source>ANR Record Fault</source>
        <translation>断网续传录像异常</translation>
    </message>
    <message>
        <source>Backup Device Exception</source>
        <translation>备份设备异常</translation>
    </message>
    <message>
        <source>Start MAS Fault</source>
        <translation>MAS启动失败</translation>
    </message>
    <message>
        <source>IPCM Crash</source>
        <translation>IPCM崩溃</translation>
    </message>
    <message>
        <source>POE Power Exception</source>
        <translation>POE供电异常</translation>
    </message>
    <message>
        <source>Data Upload Exception</source>
        <translation>数据上传异常</translation>
    </message>
    <message>
        <source>Wireless Dial-up Exception</source>
        <translation>无线拨号异常</translation>
    </message>
    <message>
        <source>Synchronize IPC Password  Exception</source>
        <translation>同步网络摄像机密码异常</translation>
    </message>
    <message>
        <source>Ploven Offline Exception</source>
        <translation>Ploven离线异常</translation>
    </message>
    <message>
        <source>Disk Error Information V2</source>
        <translation>硬盘错误信息V2</translation>
    </message>
    <message>
        <source>Subsystem IP Address Conflict</source>
        <translation>子系统IP地址冲突</translation>
    </message>
    <message>
        <source>Subsystem Net Broken</source>
        <translation>子系统网络断开</translation>
    </message>
    <message>
        <source>Fan Abnormal</source>
        <translation>风扇异常</translation>
    </message>
    <message>
        <source>Backpanel Temperature Abnormal</source>
        <translation>背板温度异常</translation>
    </message>
    <message>
        <source>Memory Card Defective</source>
        <translation>存储卡有缺陷</translation>
    </message>
    <message>
        <source>Memory Card Damaged</source>
        <translation>存储卡损坏</translation>
    </message>
    <message>
        <source>Sub-board Plug In</source>
        <translation>子板插入</translation>
    </message>
    <message>
        <source>Sub-board Pull Out</source>
        <translation>子板拔出</translation>
    </message>
    <message>
        <source>Turn On</source>
        <translation>开机</translation>
    </message>
    <message>
        <source>Trun Off</source>
        <translation>关机</translation>
    </message>
    <message>
        <source>Illegal Shutdown</source>
        <translation>非法关机</translation>
    </message>
    <message>
        <source>Local Reboot Device</source>
        <translation>本地重启设备</translation>
    </message>
    <message>
        <source>Local Login</source>
        <translation>本地登录</translation>
    </message>
    <message>
        <source>Local Logout</source>
        <translation>本地注销</translation>
    </message>
    <message>
        <source>Local Settings</source>
        <translation>本地配置参数</translation>
    </message>
    <message>
        <source>Local Playback by File</source>
        <translation>本地按文件回放</translation>
    </message>
    <message>
        <source>Local Playback by Time</source>
        <translation>本地按时间回放</translation>
    </message>
    <message>
        <source>Local Start Recording</source>
        <translation>本地开始录像</translation>
    </message>
    <message>
        <source>Local Stop Recording</source>
        <translation>本地停止录像</translation>
    </message>
    <message>
        <source>Local PTZ Control</source>
        <translation>本地云台控制</translation>
    </message>
    <message>
        <source>Local Preview</source>
        <translation>本地预览</translation>
    </message>
    <message>
        <source>Local Configuration Time</source>
        <translation>本地配置时间</translation>
    </message>
    <message>
        <source>Local Upgrade</source>
        <translation>本地升级</translation>
    </message>
    <message>
        <source>Local Export Recording Files</source>
        <translation>本地导出录像文件</translation>
    </message>
    <message>
        <source>Local Formating HDD</source>
        <translation>本地格式化硬盘</translation>
    </message>
    <message>
        <source>Local Export Config File</source>
        <translation>本地导出配置文件</translation>
    </message>
    <message>
        <source>Local Import Config File</source>
        <translation>本地导入配置文件</translation>
    </message>
    <message>
        <source>Local Backup File</source>
        <translation>本地备份文件</translation>
    </message>
    <message>
        <source>Local Lock Recording Files</source>
        <translation>本地锁定录像文件</translation>
    </message>
    <message>
        <source>Local Unlock Recording Files</source>
        <translation>本地解锁录像文件</translation>
    </message>
    <message>
        <source>Manually Clear and Trigger Alarm Locally</source>
        <translation>本地手动清除和触发报警</translation>
    </message>
    <message>
        <source>Local Add IPC</source>
        <translation>本地添加网络摄像机</translation>
    </message>
    <message>
        <source>Local Delete IPC</source>
        <translation>本地删除网络摄像机</translation>
    </message>
    <message>
        <source>Local Configure IPC</source>
        <translation>本地配置网络摄像机</translation>
    </message>
    <message>
        <source>Local Start Backup</source>
        <translation>本地开始备份</translation>
    </message>
    <message>
        <source>Local Stop Backup</source>
        <translation>本地停止备份</translation>
    </message>
    <message>
        <source>Local Backup Start Time</source>
        <translation>本地备份开始时间</translation>
    </message>
    <message>
        <source>Local Backup End Time</source>
        <translation>本地备份结束时间</translation>
    </message>
    <message>
        <source>Add Local Net Disk</source>
        <translation>添加本地网络硬盘</translation>
    </message>
    <message>
        <source>Delete Local Net Disk</source>
        <translation>删除本地网络硬盘</translation>
    </message>
    <message>
        <source>Configure Local Net Disk</source>
        <translation>配置本地网络硬盘</translation>
    </message>
    <message>
        <source>Local Operation: Restore Password</source>
        <translation>本地操作：恢复密码</translation>
    </message>
    <message>
        <source>Remote Login</source>
        <translation>远程登录</translation>
    </message>
    <message>
        <source>Remote Logout</source>
        <translation>远程注销</translation>
    </message>
    <message>
        <source>Remote Start Recording</source>
        <translation>远程开始录像</translation>
    </message>
    <message>
        <source>Stop Start Recording</source>
        <translation>远程停止录像</translation>
    </message>
    <message>
        <source>Establish Transparent Channel</source>
        <translation>建立透明通道</translation>
    </message>
    <message>
        <source>Disconnect Transparent Channel</source>
        <translation>断开透明通道</translation>
    </message>
    <message>
        <source>Get Parameters Remotely</source>
        <translation>远程获取参数</translation>
    </message>
    <message>
        <source>Set Parameters Remotely</source>
        <translation>远程配置参数</translation>
    </message>
    <message>
        <source>Get Status Remotely</source>
        <translation>远程获取状态</translation>
    </message>
    <message>
        <source>Arm Software Remotely</source>
        <translation>远程布防</translation>
    </message>
    <message>
        <source>Disarm Software Remotely</source>
        <translation>远程撤防</translation>
    </message>
    <message>
        <source>Remote Reboot</source>
        <translation>远程重启</translation>
    </message>
    <message>
        <source>Voice Talking Starts</source>
        <translation>语音对讲开始</translation>
    </message>
    <message>
        <source>Voice Talking Ends</source>
        <translation>语音对讲结束</translation>
    </message>
    <message>
        <source>Remote Upgrade</source>
        <translation>远程升级</translation>
    </message>
    <message>
        <source>Playback by File Remotely</source>
        <translation>远程按文件回放</translation>
    </message>
    <message>
        <source>Playback by Time Remotely</source>
        <translation>远程按时间回放</translation>
    </message>
    <message>
        <source>PTZ Control Remotely</source>
        <translation>远程云台控制</translation>
    </message>
    <message>
        <source>Remote Format HDD</source>
        <translation>远程格式化硬盘</translation>
    </message>
    <message>
        <source>Remote Shutdown</source>
        <translation>远程关机</translation>
    </message>
    <message>
        <source>Remote Lock File</source>
        <translation>远程锁定文件</translation>
    </message>
    <message>
        <source>Remote Unlock File</source>
        <translation>远程解锁文件</translation>
    </message>
    <message>
        <source>Remote Export Config File</source>
        <translation>远程导出配置文件</translation>
    </message>
    <message>
        <source>Remote Import Config File</source>
        <translation>远程导入配置文件</translation>
    </message>
    <message>
        <source>Export Recording Files Remotely</source>
        <translation>远程导出录像文件</translation>
    </message>
    <message>
        <source>Remote Manual Alarm</source>
        <translation>远程手动报警</translation>
    </message>
    <message>
        <source>Remote Add IPC</source>
        <translation>远程添加网络摄像机</translation>
    </message>
    <message>
        <source>Remote Delete IPC</source>
        <translation>远程删除网络摄像机</translation>
    </message>
    <message>
        <source>Remote Configure IPC</source>
        <translation>远程配置网络摄像机</translation>
    </message>
    <message>
        <source>Intelligent LIB Restart</source>
        <translation>智能库重启</translation>
    </message>
    <message>
        <source>Add Net Disk Remotely</source>
        <translation>远程添加网络硬盘</translation>
    </message>
    <message>
        <source>Delete Net Disk Remotely</source>
        <translation>远程删除网络硬盘</translation>
    </message>
    <message>
        <source>Configure Net Disk Remotely</source>
        <translation>远程配置网络硬盘</translation>
    </message>
    <message>
        <source>shen xun zhuan yong</source>
        <translation>专用操作</translation>
    </message>
    <message>
        <source>Local Operation: Export Picture File</source>
        <translation>本地操作：导出图片文件</translation>
    </message>
    <message>
        <source>Remote Operation: Export Picture File</source>
        <translation>远程操作：导出图片文件</translation>
    </message>
    <message>
        <source>Remote Operation: Delete HDD</source>
        <translation>远程操作：删除硬盘</translation>
    </message>
    <message>
        <source>DSP Reboot</source>
        <translation>DSP重启</translation>
    </message>
    <message>
        <source>Matrix Switch to Start Trans Video</source>
        <translation>矩阵切换：开始传输视频</translation>
    </message>
    <message>
        <source>Matrix Switch to Stop Trans Video</source>
        <translation>矩阵切换：停止传输视频</translation>
    </message>
    <message>
        <source>Set All Subsystem Parameters</source>
        <translation>设置所有子系统参数</translation>
    </message>
    <message>
        <source>Get All Subsystem Parameters</source>
        <translation>获取所有子系统参数</translation>
    </message>
    <message>
        <source>Set Plan Cyclle Group</source>
        <translation>设置计划轮巡组</translation>
    </message>
    <message>
        <source>Get Plan Cyclle Group</source>
        <translation>获取计划轮巡组</translation>
    </message>
    <message>
        <source>Matrix Switch to Start Trans Audio</source>
        <translation>矩阵切换：开始传输音频</translation>
    </message>
    <message>
        <source>Matrix Switch to Stop Trans Audio</source>
        <translation>矩阵切换：停止传输音频</translation>
    </message>
    <message>
        <source>Start dynamic decode</source>
        <translation>开始动态解码</translation>
    </message>
    <message>
        <source>Stop dynamic decode</source>
        <translation>停止动态解码</translation>
    </message>
    <message>
        <source>Get CYC config</source>
        <translation>获取轮巡配置</translation>
    </message>
    <message>
        <source>Set CYC config</source>
        <translation>设置轮巡配置</translation>
    </message>
    <message>
        <source>Start CYC decoder</source>
        <translation>开始轮巡解码</translation>
    </message>
    <message>
        <source>Stop CYC decoder</source>
        <translation>停止轮巡解码</translation>
    </message>
    <message>
        <source>Get decoder chan status</source>
        <translation>获取解码通道状态</translation>
    </message>
    <message>
        <source>Get decoder chan information</source>
        <translation>获取解码通道信息</translation>
    </message>
    <message>
        <source>Start passive decoder</source>
        <translation>开始被动解码</translation>
    </message>
    <message>
        <source>Stop passive decoder</source>
        <translation>停止被动解码</translation>
    </message>
    <message>
        <source>Ctrl passive decoder</source>
        <translation>控制被动解码</translation>
    </message>
    <message>
        <source>reconnect passive decoder</source>
        <translation>重连被动解码</translation>
    </message>
    <message>
        <source>Get decoder chan SW</source>
        <translation>获取解码通道开关</translation>
    </message>
    <message>
        <source>Set decoder chan SW</source>
        <translation>设置解码通道开关</translation>
    </message>
    <message>
        <source>Ctrl decoder chan scale</source>
        <translation>控制解码通道缩放</translation>
    </message>
    <message>
        <source>Set remote replay</source>
        <translation>设置远程回放</translation>
    </message>
    <message>
        <source>Get remote replay</source>
        <translation>获取远程回放</translation>
    </message>
    <message>
        <source>Ctrl remote replay</source>
        <translation>控制远程回放</translation>
    </message>
    <message>
        <source>Set display config</source>
        <translation>设置显示配置</translation>
    </message>
    <message>
        <source>Get display config</source>
        <translation>获取显示配置</translation>
    </message>
    <message>
        <source>Set plan table</source>
        <translation>设置计划表</translation>
    </message>
    <message>
        <source>Get plan table</source>
        <translation>获取计划表</translation>
    </message>
    <message>
        <source>Start PPPOE</source>
        <translation>启动PPPoE</translation>
    </message>
    <message>
        <source>Stop PPPOE</source>
        <translation>停止PPPoE</translation>
    </message>
    <message>
        <source>Upload LOGO</source>
        <translation>上传标志</translation>
    </message>
    <message>
        <source>Local: Configure PIN</source>
        <translation>本地：配置PIN码</translation>
    </message>
    <message>
        <source>Local: Enable/Disable Wireless Dial-up</source>
        <translation>本地：启用/禁用无线拨号</translation>
    </message>
    <message>
        <source>Auto Dial-up via Message</source>
        <translation>短信自动拨号</translation>
    </message>
    <message>
        <source>Auto Dial-up via Calling</source>
        <translation>电话自动拨号</translation>
    </message>
    <message>
        <source>Remote: Configure PIN</source>
        <translation>远程：配置PIN码</translation>
    </message>
    <message>
        <source>Clear Log</source>
        <translation>清除日志</translation>
    </message>
    <message>
        <source>Local Set Auto-Rebuild</source>
        <translation>本地设置自动重建</translation>
    </message>
    <message>
        <source>Local Config Hot-Spare Disk</source>
        <translation>本地配置热备盘</translation>
    </message>
    <message>
        <source>Local Create Array</source>
        <translation>本地创建阵列</translation>
    </message>
    <message>
        <source>Local Delete Array</source>
        <translation>本地删除阵列</translation>
    </message>
    <message>
        <source>Local Migrate Array</source>
        <translation>本地迁移阵列</translation>
    </message>
    <message>
        <source>Local Rebuild Array</source>
        <translation>本地重建阵列</translation>
    </message>
    <message>
        <source>Local Quick Config</source>
        <translation>本地一键配置</translation>
    </message>
    <message>
        <source>Local Create Virtual Disk</source>
        <translation>本地创建虚拟磁盘</translation>
    </message>
    <message>
        <source>Local Delete Virtual Disk</source>
        <translation>本地删除虚拟磁盘</translation>
    </message>
    <message>
        <source>Local Repair Virtual Disk</source>
        <translation>本地修复虚拟磁盘</translation>
    </message>
    <message>
        <source>Local Expand Virtual Disk</source>
        <translation>本地扩展虚拟磁盘</translation>
    </message>
    <message>
        <source>Local RAID Adapter Upgrade</source>
        <translation>本地升级RAID卡</translation>
    </message>
    <message>
        <source>Remote Set Auto-Rebuild</source>
        <translation>远程设置自动重建</translation>
    </message>
    <message>
        <source>Remote Config Hot-Spare Disk</source>
        <translation>远程配置热备盘</translation>
    </message>
    <message>
        <source>Remote Create Array</source>
        <translation>远程创建阵列</translation>
    </message>
    <message>
        <source>Remote Delete Array</source>
        <translation>远程删除阵列</translation>
    </message>
    <message>
        <source>Remote Migrate Array</source>
        <translation>远程迁移阵列</translation>
    </message>
    <message>
        <source>Remote Rebuild Array</source>
        <translation>远程重建阵列</translation>
    </message>
    <message>
        <source>Remote Quick Config</source>
        <translation>远程一键配置</translation>
    </message>
    <message>
        <source>Remote Create Virtual Disk</source>
        <translation>远程创建虚拟磁盘</translation>
    </message>
    <message>
        <source>Remote Delete Virtual Disk</source>
        <translation>远程删除虚拟磁盘</translation>
    </message>
    <message>
        <source>Remote Repair Virtual Disk</source>
        <translation>远程修复虚拟磁盘</translation>
    </message>
    <message>
        <source>Remote Expand Virtual Disk</source>
        <translation>远程扩展虚拟磁盘</translation>
    </message>
    <message>
        <source>Remote RAID Adapter Upgrade</source>
        <translation>远程升级RAID卡</translation>
    </message>
    <message>
        <source>Local Operation: Start Capture</source>
        <translation>本地操作：开始抓图</translation>
    </message>
    <message>
        <source>Local Operation: Stop Capture</source>
        <translation>本地操作：停止抓图</translation>
    </message>
    <message>
        <source>Local Operation: Operate Label</source>
        <translation>本地操作：操作标签</translation>
    </message>
    <message>
        <source>Remote Operation: Start Capture</source>
        <translation>远程操作：开始抓图</translation>
    </message>
    <message>
        <source>Remote Operation: Stop Capture</source>
        <translation>远程操作：停止抓图</translation>
    </message>
    <message>
        <source>Remote Operation: Operate Tag</source>
        <translation>远程操作：操作标签</translation>
    </message>
    <message>
        <source>Local Operation: Vedio Out Switch</source>
        <translation>本地操作：视频输出切换</translation>
    </message>
    <message>
        <source>CABAC Config</source>
        <translation>CABAC配置</translation>
    </message>
    <message>
        <source>Local Operation: N+1 Config</source>
        <translation>本地操作：N+1配置</translation>
    </message>
    <message>
        <source>Remote Operation: N+1 Config</source>
        <translation>远程操作：N+1配置</translation>
    </message>
    <message>
        <source>Local Operation: Export IPC Config Files</source>
        <translation>本地操作：导出网络摄像机配置文件</translation>
    </message>
    <message>
        <source>Local Operation: Import IPC Config Files</source>
        <translation>本地操作：导入网络摄像机配置文件</translation>
    </message>
    <message>
        <source>Local Operation: IPC Upgrade</source>
        <translation>本地操作：网络摄像机升级</translation>
    </message>
    <message>
        <source>Remote Operation: Export IPC Config Files</source>
        <translation>远程操作：导出网络摄像机配置文件</translation>
    </message>
    <message>
        <source>Remote Operation: Import IPC Config Files</source>
        <translation>远程操作：导入网络摄像机配置文件</translation>
    </message>
    <message>
        <source>Remote Operation: IPC Upgrade</source>
        <translation>远程操作：网络摄像机升级</translation>
    </message>
    <message>
        <source>Set Multi master</source>
        <translation>设置多主机</translation>
    </message>
    <message>
        <source>Set Multi slave</source>
        <translation>设置多从机</translation>
    </message>
    <message>
        <source>Cancel multi master</source>
        <translation>取消多主机</translation>
    </message>
    <message>
        <source>Cancel multi slave</source>
        <translation>取消多从机</translation>
    </message>
    <message>
        <source>Display LOGO</source>
        <translation>显示标志</translation>
    </message>
    <message>
        <source>Hide LOGO</source>
        <translation>隐藏标志</translation>
    </message>
    <message>
        <source>Set DEC delay level</source>
        <translation>设置解码延时级别</translation>
    </message>
    <message>
        <source>Set big screen display area</source>
        <translation>设置大屏显示区域</translation>
    </message>
    <message>
        <source>Cut vedio source</source>
        <translation>裁剪视频源</translation>
    </message>
    <message>
        <source>Set basemap area</source>
        <translation>设置底图区域</translation>
    </message>
    <message>
        <source>Download basemap</source>
        <translation>下载底图</translation>
    </message>
    <message>
        <source>Cut basemap</source>
        <translation>裁剪底图</translation>
    </message>
    <message>
        <source>Control elec enlarge</source>
        <translation>控制电子放大</translation>
    </message>
    <message>
        <source>Set output resolution</source>
        <translation>设置输出分辨率</translation>
    </message>
    <message>
        <source>Set trancsparency</source>
        <translation>设置透明度</translation>
    </message>
    <message>
        <source>Set OSD</source>
        <translation>设置OSD</translation>
    </message>
    <message>
        <source>Restore dec status</source>
        <translation>恢复解码状态</translation>
    </message>
    <message>
        <source>Modify Input Config</source>
        <translation>修改输入配置</translation>
    </message>
    <message>
        <source>Modify Output Config</source>
        <translation>修改输出配置</translation>
    </message>
    <message>
        <source>Modify Virtual LED Config</source>
        <translation>修改虚拟LED配置</translation>
    </message>
    <message>
        <source>Screen picturepreview</source>
        <translation>屏幕图像预览</translation>
    </message>
    <message>
        <source>Get Virtual LED</source>
        <translation>获取虚拟LED</translation>
    </message>
    <message>
        <source>Get Layout</source>
        <translation>获取布局</translation>
    </message>
    <message>
        <source>LayoutControl</source>
        <translation>布局控制</translation>
    </message>
    <message>
        <source>Get All Valid Windows</source>
        <translation>获取所有有效窗口</translation>
    </message>
    <message>
        <source>Get Single Window Information</source>
        <translation>获取单个窗口信息</translation>
    </message>
    <message>
        <source>Control Window</source>
        <translation>控制窗口</translation>
    </message>
    <message>
        <source>Get Layout List</source>
        <translation>获取布局列表</translation>
    </message>
    <message>
        <source>Layout Control</source>
        <translation>布局控制</translation>
    </message>
    <message>
        <source>Set Layout</source>
        <translation>设置布局</translation>
    </message>
    <message>
        <source>Get Input Signal List</source>
        <translation>获取输入信号列表</translation>
    </message>
    <message>
        <source>Get Plan List</source>
        <translation>获取预案列表</translation>
    </message>
    <message>
        <source>Set Plan</source>
        <translation>设置预案</translation>
    </message>
    <message>
        <source>Control Plan</source>
        <translation>控制预案</translation>
    </message>
    <message>
        <source>Control Screen</source>
        <translation>控制屏幕</translation>
    </message>
    <message>
        <source>Add Net Siganl</source>
        <translation>添加网络信号</translation>
    </message>
    <message>
        <source>Set Net Siganl</source>
        <translation>设置网络信号</translation>
    </message>
    <message>
        <source>Set DecodeBoard Config</source>
        <translation>设置解码板配置</translation>
    </message>
    <message>
        <source>Get Decoding Board Parameters</source>
        <translation>获取解码板参数</translation>
    </message>
    <message>
        <source>Get Device Information</source>
        <translation>获取设备信息</translation>
    </message>
    <message>
        <source>Update Picture</source>
        <translation>更新图片</translation>
    </message>
    <message>
        <source>Set User Password</source>
        <translation>设置用户密码</translation>
    </message>
    <message>
        <source>Add Scene</source>
        <translation>添加场景</translation>
    </message>
    <message>
        <source>Delete Scene</source>
        <translation>删除场景</translation>
    </message>
    <message>
        <source>Delete Net Siganl</source>
        <translation>删除网络信号</translation>
    </message>
    <message>
        <source>Add Plan</source>
        <translation>添加预案</translation>
    </message>
    <message>
        <source>Delete Plan</source>
        <translation>删除预案</translation>
    </message>
    <message>
        <source>Set External Matrix Config</source>
        <translation>设置外部矩阵配置</translation>
    </message>
    <message>
        <source>Get User Settings</source>
        <translation>获取用户配置</translation>
    </message>
    <message>
        <source>Set User Config</source>
        <translation>设置用户配置</translation>
    </message>
    <message>
        <source>Get Video Wall Connection</source>
        <translation>获取电视墙连接</translation>
    </message>
    <message>
        <source>Configure Display Wall Connection</source>
        <translation>配置显示墙连接</translation>
    </message>
    <message>
        <source>Get Video Wall Scene</source>
        <translation>获取电视墙场景</translation>
    </message>
    <message>
        <source>Set Wall Scene Param</source>
        <translation>设置电视墙场景参数</translation>
    </message>
    <message>
        <source>Get Current Scene</source>
        <translation>获取当前场景</translation>
    </message>
    <message>
        <source>Switch Scene</source>
        <translation>切换场景</translation>
    </message>
    <message>
        <source>Bring the Video Wall Window to Front</source>
        <translation>电视墙窗口置顶</translation>
    </message>
    <message>
        <source>Bring the Video Wall Window to Back</source>
        <translation>电视墙窗口置底</translation>
    </message>
    <message>
        <source>Local Operation: Delete HDD</source>
        <translation>本地操作：删除硬盘</translation>
    </message>
    <message>
        <source>Local Operation: Switch Output</source>
        <translation>本地操作：切换输出</translation>
    </message>
    <message>
        <source>Local Operation: HDD Detect</source>
        <translation>本地操作：硬盘检测</translation>
    </message>
    <message>
        <source>Local Operation: Device Type Configuration</source>
        <translation>本地操作：设备类型配置</translation>
    </message>
    <message>
        <source>Remote Operation: Device Type Configuration</source>
        <translation>远程操作：设备类型配置</translation>
    </message>
    <message>
        <source>Local Operation: Spare Device Configuration</source>
        <translation>本地操作：备机配置</translation>
    </message>
    <message>
        <source>Remote Operation: Spare Device Configuration</source>
        <translation>远程操作：备机配置</translation>
    </message>
    <message>
        <source>Local Operation: Delete Working Device</source>
        <translation>本地操作：删除工作机</translation>
    </message>
    <message>
        <source>Remote Operation: Delete Working Device</source>
        <translation>远程操作：删除工作机</translation>
    </message>
    <message>
        <source>Local Operation: Add Working Device</source>
        <translation>本地操作：添加工作机</translation>
    </message>
    <message>
        <source>Remote Operation: Add Working Device</source>
        <translation>远程操作：添加工作机</translation>
    </message>
    <message>
        <source>Local: Export Heat Map</source>
        <translation>本地：导出热度图</translation>
    </message>
    <message>
        <source>Local: Export Heat Map Flow</source>
        <translation>本地：导出热度图客流</translation>
    </message>
    <message>
        <source>Remote: Send Message</source>
        <translation>远程：发送短信</translation>
    </message>
    <message>
        <source>Local: Send Message</source>
        <translation>本地：发送短信</translation>
    </message>
    <message>
        <source>Send Alarm Messages</source>
        <translation>发送报警短信</translation>
    </message>
    <message>
        <source>Receive Messages</source>
        <translation>接收短信</translation>
    </message>
    <message>
        <source>Local: Search Messages</source>
        <translation>本地：搜索短信</translation>
    </message>
    <message>
        <source>Remote: Search Messages</source>
        <translation>远程：搜索短信</translation>
    </message>
    <message>
        <source>Local: View Messages</source>
        <translation>本地：查看短信</translation>
    </message>
    <message>
        <source>Remote: View Messages</source>
        <translation>远程：查看短信</translation>
    </message>
    <message>
        <source>Remote: Enable Wireless Dial-up</source>
        <translation>远程：启用无线拨号</translation>
    </message>
    <message>
        <source>Remote: Disable Wireless Dial-up</source>
        <translation>远程：禁用无线拨号</translation>
    </message>
    <message>
        <source>Local: Configure White List</source>
        <translation>本地：配置白名单</translation>
    </message>
    <message>
        <source>Remote: Configure White List</source>
        <translation>远程：配置白名单</translation>
    </message>
    <message>
        <source>Local: Configure Wireless Dial-up Parameters</source>
        <translation>本地：配置无线拨号参数</translation>
    </message>
    <message>
        <source>Remote: Configure Wireless Dial-up Parameters</source>
        <translation>远程：配置无线拨号参数</translation>
    </message>
    <message>
        <source>Local: Configure Wireless Dial-up Schedule</source>
        <translation>本地：配置无线拨号计划</translation>
    </message>
    <message>
        <source>Remote: Configure Wireless Dial-up Schedule</source>
        <translation>远程：配置无线拨号计划</translation>
    </message>
    <message>
        <source>Platform Operations</source>
        <translation>平台操作</translation>
    </message>
    <message>
        <source>Remote Operation: Restore Defaults</source>
        <translation>远程操作：恢复默认参数</translation>
    </message>
    <message>
        <source>Local Operation: Restore Defaults</source>
        <translation>本地操作：恢复默认参数</translation>
    </message>
    <message>
        <source>Set Volumn</source>
        <translation>设置音量</translation>
    </message>
    <message>
        <source>Set Volumn Intercom</source>
        <translation>设置对讲音量</translation>
    </message>
    <message>
        <source>VCA Configuration</source>
        <translation>智能分析配置</translation>
    </message>
    <message>
        <source>Local Operation: Set Raid Speed</source>
        <translation>本地操作：设置RAID速度</translation>
    </message>
    <message>
        <source>Remote Operation: Set Raid Speed</source>
        <translation>远程操作：设置RAID速度</translation>
    </message>
    <message>
        <source>Remote Operation: Create Storage Pool</source>
        <translation>远程操作：创建存储池</translation>
    </message>
    <message>
        <source>Remote Operation: Delete Storage Pool</source>
        <translation>远程操作：删除存储池</translation>
    </message>
    <message>
        <source>Remote Operation: Delete Picture(s)</source>
        <translation>远程操作：删除图片</translation>
    </message>
    <message>
        <source>Remote Operation: Delete Record File</source>
        <translation>远程操作：删除录像文件</translation>
    </message>
    <message>
        <source>Remote Operation: Enable Cloud System</source>
        <translation>远程操作：启用云存储</translation>
    </message>
    <message>
        <source>Remote Operation: Disable Cloud System</source>
        <translation>远程操作：禁用云存储</translation>
    </message>
    <message>
        <source>Remote Operation: Set Storage Pool Parameters</source>
        <translation>远程操作：设置存储池参数</translation>
    </message>
    <message>
        <source>Remote Operation: Set Storage Pool Capacity</source>
        <translation>远程操作：设置存储池容量</translation>
    </message>
    <message>
        <source>Remote: Configure SIP Server</source>
        <translation>远程：配置SIP服务器</translation>
    </message>
    <message>
        <source>Local: Configure SIP Server</source>
        <translation>本地：配置SIP服务器</translation>
    </message>
    <message>
        <source>Local: Export Black-white List</source>
        <translation>本地：导出黑白名单</translation>
    </message>
    <message>
        <source>Local: Import Black-white List</source>
        <translation>本地：导入黑白名单</translation>
    </message>
    <message>
        <source>Remote: Export Black-white List</source>
        <translation>远程：导出黑白名单</translation>
    </message>
    <message>
        <source>Remote: Import Black-white List</source>
        <translation>远程：导入黑白名单</translation>
    </message>
    <message>
        <source>Local Operation: Activation</source>
        <translation>本地操作：激活</translation>
    </message>
    <message>
        <source>Remote Operation: Activation</source>
        <translation>远程操作：激活</translation>
    </message>
    <message>
        <source>Local Operation: Factory Defaults</source>
        <translation>本地操作：恢复出厂设置</translation>
    </message>
    <message>
        <source>Remote Operation: Factory Defaults</source>
        <translation>远程操作：恢复出厂设置</translation>
    </message>
    <message>
        <source>Decoder Stop Watchdog</source>
        <translation>解码器停止看门狗</translation>
    </message>
    <message>
        <source>Decoder Start Watchdog</source>
        <translation>解码器启动看门狗</translation>
    </message>
    <message>
        <source>FD Error</source>
        <translation>FD错误</translation>
    </message>
    <message>
        <source>Net Status Error</source>
        <translation>网络状态错误</translation>
    </message>
    <message>
        <source>Dsp Error</source>
        <translation>DSP错误</translation>
    </message>
    <message>
        <source>Board Temperature Error</source>
        <translation>主板温度错误</translation>
    </message>
    <message>
        <source>Link Error</source>
        <translation>链路错误</translation>
    </message>
    <message>
        <source>Video Frame Unstable</source>
        <translation>视频帧不稳定</translation>
    </message>
    <message>
        <source>Invalid data exceed</source>
        <translation>无效数据超限</translation>
    </message>
    <message>
        <source>CPU busy</source>
        <translation>CPU繁忙</translation>
    </message>
    <message>
        <source>ETher busy</source>
        <translation>以太网繁忙</translation>
    </message>
    <message>
        <source>PCIE busy</source>
        <translation>PCIe繁忙</translation>
    </message>
    <message>
        <source>Config file bad</source>
        <translation>配置文件损坏</translation>
    </message>
    <message>
        <source>System file bad</source>
        <translation>系统文件损坏</translation>
    </message>
    <message>
        <source>Memery error</source>
        <translation>内存错误</translation>
    </message>
    <message>
        <source>Log File deleted</source>
        <translation>日志文件已删除</translation>
    </message>
    <message>
        <source>POE Power Exception Information</source>
        <translation>POE供电异常信息</translation>
    </message>
    <message>
        <source>HDD Information</source>
        <translation>硬盘信息</translation>
    </message>
    <message>
        <source>SMART Information</source>
        <translation>S.M.A.R.T.信息</translation>
    </message>
    <message>
        <source>Start Recording</source>
        <translation>开始录像</translation>
    </message>
    <message>
        <source>Stop Recording</source>
        <translation>停止录像</translation>
    </message>
    <message>
        <source>Recording Timeout</source>
        <translation>录像超时</translation>
    </message>
    <message>
        <source>Device Connect the front-end(IPC,etc.)</source>
        <translation>设备连接前端（网络摄像机等）</translation>
    </message>
    <message>
        <source>Device Disconnect the front-end(IPC,etc.)</source>
        <translation>设备断开前端（网络摄像机等）</translation>
    </message>
    <message>
        <source>Network HDD Information</source>
        <translation>网络硬盘信息</translation>
    </message>
    <message>
        <source>Raid Information</source>
        <translation>RAID信息</translation>
    </message>
    <message>
        <source>Server Status Information</source>
        <translation>服务器状态信息</translation>
    </message>
    <message>
        <source>Start Work Device Backuping</source>
        <translation>工作机开始备份</translation>
    </message>
    <message>
        <source>Stop Work Device Backuping</source>
        <translation>工作机停止备份</translation>
    </message>
    <message>
        <source>Backup Device Information</source>
        <translation>备份设备信息</translation>
    </message>
    <message>
        <source>Start ANR Recording</source>
        <translation>开始断网续传录像</translation>
    </message>
    <message>
        <source>Stop ANR Recording</source>
        <translation>停止断网续传录像</translation>
    </message>
    <message>
        <source>IP Camera ANR Record Duration Add</source>
        <translation>网络摄像机断网续传录像时长增加</translation>
    </message>
    <message>
        <source>IP Camera ANR Record Duration Delete</source>
        <translation>网络摄像机断网续传录像时长删除</translation>
    </message>
    <message>
        <source>Start Capture</source>
        <translation>开始抓图</translation>
    </message>
    <message>
        <source>Stop Capture</source>
        <translation>停止抓图</translation>
    </message>
    <message>
        <source>Delete Expired Picture Files</source>
        <translation>删除过期图片文件</translation>
    </message>
    <message>
        <source>Login Server</source>
        <translation>登录服务器</translation>
    </message>
    <message>
        <source>Relogin Server</source>
        <translation>重新登录服务器</translation>
    </message>
    <message>
        <source>Logout Server</source>
        <translation>注销服务器</translation>
    </message>
    <message>
        <source>Recording Synchronization Start</source>
        <translation>录像同步开始</translation>
    </message>
    <message>
        <source>Recording Synchronization Stop</source>
        <translation>录像同步停止</translation>
    </message>
    <message>
        <source>Recording Synchronization Completed</source>
        <translation>录像同步完成</translation>
    </message>
    <message>
        <source>Recording Synchronization Exception</source>
        <translation>录像同步异常</translation>
    </message>
    <message>
        <source>Global Error Information</source>
        <translation>全局错误信息</translation>
    </message>
    <message>
        <source>Buffer State</source>
        <translation>缓冲区状态</translation>
    </message>
    <message>
        <source>Platform Information</source>
        <translation>平台信息</translation>
    </message>
    <message>
        <source>Wireless Dial-up Status</source>
        <translation>无线拨号状态</translation>
    </message>
    <message>
        <source>Unlock Record</source>
        <translation>解锁录像</translation>
    </message>
    <message>
        <source>Alarm Record</source>
        <translation>报警录像</translation>
    </message>
    <message>
        <source>Talk Record</source>
        <translation>对讲录像</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>Exception</source>
        <translation>异常</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>KEL4.3</source>
        <translation>KEL 4.3</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>QQuillmereClass</name>
    <message>
        <source>Quillmere</source>
        <translation>KEL</translation>
    </message>
</context>
<context>
    <name>QVideoColorTipWidget</name>
    <message>
        <source>VideoColorTipWidget</source>
        <translation>取证颜色说明</translation>
    </message>
    <message>
        <source>EvidenceNormal</source>
        <translation>取证（标准）</translation>
    </message>
    <message>
        <source>Evidence832</source>
        <translation>取证（832）</translation>
    </message>
</context>
<context>
    <name>QVideoCutWidget</name>
    <message>
        <source>QVideoCutWidget</source>
        <translation>剪辑</translation>
    </message>
    <message>
        <source>Start Time:</source>
        <translation>开始时间：</translation>
    </message>
    <message>
        <source>End Time:</source>
        <translation>结束时间：</translation>
    </message>
    <message>
        <source>Clip channel：</source>
        <translation>剪辑通道：</translation>
    </message>
    <message>
        <source>Car Number:</source>
        <translation>车牌号码：</translation>
    </message>
</context>
<context>
    <name>Quillmere</name>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Exit the KEL4.0 software?</source>
        <translation>确定退出KEL 4.3软件？</translation>
    </message>
</context>
<context>
    <name>SavePathCheck</name>
    <message>
        <source>The directory has no write permissions.</source>
        <translation>该目录没有写入权限。</translation>
    </message>
    <message>
        <source>Save failed, disk free space is less than %1</source>
        <translation>保存失败，磁盘剩余空间小于%1</translation>
    </message>
    <message>
        <source>The file path is not exist.</source>
        <translation>文件路径不存在。</translation>
    </message>
    <message>
        <source>Warn</source>
        <translation>警告</translation>
    </message>
</context>
<context>
    <name>SearchBarWidget</name>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Scheduled record</source>
        <translation>定时录像</translation>
    </message>
    <message>
        <source>Motion detection</source>
        <translation>移动侦测</translation>
    </message>
    <message>
        <source>Alarm record</source>
        <translation>报警录像</translation>
    </message>
    <message>
        <source>Motion detection| Alarm | CashOut</source>
        <translation>移动侦测 | 报警 | 取款</translation>
    </message>
    <message>
        <source>Motion detection &amp; Alarm | CashIn</source>
        <translation>移动侦测 &amp; 报警 | 存款</translation>
    </message>
    <message>
        <source>Command trigger</source>
        <translation>命令触发</translation>
    </message>
    <message>
        <source>Manually record</source>
        <translation>手动录像</translation>
    </message>
    <message>
        <source>Shake record</source>
        <translation>震动录像</translation>
    </message>
    <message>
        <source>Enviroment record</source>
        <translation>环境报警录像</translation>
    </message>
    <message>
        <source>VCA record</source>
        <translation>智能分析录像</translation>
    </message>
    <message>
        <source>PIR alarm</source>
        <translation>PIR报警</translation>
    </message>
    <message>
        <source>Wireless alarm</source>
        <translation>无线报警</translation>
    </message>
    <message>
        <source>Callhelp alarm</source>
        <translation>呼救报警</translation>
    </message>
    <message>
        <source>All event alarm</source>
        <translation>全部事件报警</translation>
    </message>
    <message>
        <source>Intelligent transportation</source>
        <translation>智能交通</translation>
    </message>
    <message>
        <source>Others</source>
        <translation>其他</translation>
    </message>
    <message>
        <source>degree</source>
        <translation>度</translation>
    </message>
    <message>
        <source>minute</source>
        <translation>分</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Stop the video play?</source>
        <translation>是否停止视频播放？</translation>
    </message>
    <message>
        <source>Disk </source>
        <translation>磁盘 </translation>
    </message>
    <message>
        <source>Please Select Correct Time.</source>
        <translation>请选择正确的时间。</translation>
    </message>
    <message>
        <source>TimeRange Less Than 1Day.</source>
        <translation>时间范围需小于1天。</translation>
    </message>
    <message>
        <source>Please select partition(s) or disk(s).</source>
        <translation>请选择分区或磁盘。</translation>
    </message>
    <message>
        <source>Please select file path.</source>
        <translation>请选择文件路径。</translation>
    </message>
    <message>
        <source>The path doesn&apos;t exist.</source>
        <translation>路径不存在。</translation>
    </message>
    <message>
        <source>No permission for reading from the path.</source>
        <translation>没有读取该路径的权限。</translation>
    </message>
    <message>
        <source>No video found!</source>
        <translation>未找到录像！</translation>
    </message>
    <message>
        <source>channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>SearchBarWidget</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>类型：</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>录像</translation>
    </message>
    <message>
        <source>Rigion</source>
        <translation>时段</translation>
    </message>
    <message>
        <source>Mode:</source>
        <translation>模式：</translation>
    </message>
    <message>
        <source>Partition</source>
        <translation>分区</translation>
    </message>
    <message>
        <source>Disk</source>
        <translation>磁盘</translation>
    </message>
    <message>
        <source>Local</source>
        <translation>本地</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Path:</source>
        <translation>路径：</translation>
    </message>
    <message>
        <source>Select:</source>
        <translation>选择：</translation>
    </message>
    <message>
        <source>SearchTime:</source>
        <translation>搜索时间：</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>Evidence Record</source>
        <translation>取证录像</translation>
    </message>
    <message>
        <source>Evidence Picture</source>
        <translation>取证图片</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Please choose the search mode and the corresponding partion(s) or disk(s).If no video found, please try to use another search mode.</source>
        <translation>请选择搜索模式和对应的分区或磁盘。如果未找到录像，请尝试其他搜索模式。</translation>
    </message>
    <message>
        <source>No data temporarily, please search file.</source>
        <translation>暂无数据，请搜索文件。</translation>
    </message>
    <message>
        <source> (cannot be read)</source>
        <translation> (无法读取)</translation>
    </message>
    <message>
        <source>This disk cannot be read: %1</source>
        <translation>此磁盘无法读取：%1</translation>
    </message>
    <message>
        <source>The batch downloader cannot be started: %1 cannot be written (%2).</source>
        <translation>无法启动批量下载：%1 无法写入（%2）。</translation>
    </message>
</context>
<context>
    <name>SearchThread</name>
    <message>
        <source>DVR Video</source>
        <translation>DVR录像</translation>
    </message>
</context>
<context>
    <name>SettingWidget</name>
    <message>
        <source>Normal Decode</source>
        <translation>正常解码</translation>
    </message>
    <message>
        <source>Four Speed Key Frame</source>
        <translation>四倍速关键帧</translation>
    </message>
    <message>
        <source>Eight Speed Key Frame</source>
        <translation>八倍速关键帧</translation>
    </message>
    <message>
        <source>Sixteen Speed Key Frame</source>
        <translation>十六倍速关键帧</translation>
    </message>
    <message>
        <source>km/h</source>
        <translation>千米/小时</translation>
    </message>
    <message>
        <source>mile/h</source>
        <translation>英里/小时</translation>
    </message>
    <message>
        <source>Select Directory</source>
        <translation>选择目录</translation>
    </message>
    <message>
        <source>The file path is too long.</source>
        <translation>文件路径过长。</translation>
    </message>
    <message>
        <source>Clip picture at least 512M disk space is need.</source>
        <translation>抓图至少需要512M磁盘空间。</translation>
    </message>
    <message>
        <source>Clip video at least 2G disk space is need.</source>
        <translation>剪辑录像至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>Download video at least 2G disk space is need.</source>
        <translation>下载录像至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>Evidence video at least 2G disk space is need.</source>
        <translation>取证录像至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>Evidence picture at least 512M disk space is need.</source>
        <translation>取证图片至少需要512M磁盘空间。</translation>
    </message>
    <message>
        <source>Invalid Speed.</source>
        <translation>速度无效。</translation>
    </message>
    <message>
        <source>Voice File do not exist.</source>
        <translation>声音文件不存在。</translation>
    </message>
    <message>
        <source>Invalid Channel Num.</source>
        <translation>通道数无效。</translation>
    </message>
    <message>
        <source>Saving failed: %1 cannot be written (%2). The settings stay as they were.</source>
        <translation>保存失败：%1 无法写入（%2）。设置保持不变。</translation>
    </message>
    <message>
        <source>Save successful.</source>
        <translation>保存成功。</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Save new settings?</source>
        <translation>是否保存新的设置？</translation>
    </message>
    <message>
        <source>SettingWidget</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Enforce Setting</source>
        <translation>取证设置</translation>
    </message>
    <message>
        <source>Evidence Path:</source>
        <translation>取证录像路径：</translation>
    </message>
    <message>
        <source>Evidence Picture:</source>
        <translation>取证图片路径：</translation>
    </message>
    <message>
        <source>Playback Setting</source>
        <translation>回放设置</translation>
    </message>
    <message>
        <source>Map Type:</source>
        <translation>地图类型：</translation>
    </message>
    <message>
        <source>Open Street Map</source>
        <translation>开放街道地图</translation>
    </message>
    <message>
        <source>Google Map</source>
        <translation>谷歌地图</translation>
    </message>
    <message>
        <source>Enable Speed Alarm</source>
        <translation>启用超速报警</translation>
    </message>
    <message>
        <source>Secret Key:</source>
        <translation>密钥：</translation>
    </message>
    <message>
        <source>Download Path:</source>
        <translation>下载路径：</translation>
    </message>
    <message>
        <source>Picuure Path:</source>
        <translation>图片路径：</translation>
    </message>
    <message>
        <source>Clip Path:</source>
        <translation>剪辑路径：</translation>
    </message>
    <message>
        <source>Speed Unit:</source>
        <translation>速度单位：</translation>
    </message>
    <message>
        <source>Voice(&lt;1s):</source>
        <translation>声音（&lt;1秒）：</translation>
    </message>
    <message>
        <source>Decode Frame Type:</source>
        <translation>解码帧类型：</translation>
    </message>
    <message>
        <source>Speed Value:</source>
        <translation>速度值：</translation>
    </message>
    <message>
        <source>Map Key:</source>
        <translation>地图密钥：</translation>
    </message>
    <message>
        <source>Download Video Type:</source>
        <translation>下载录像格式：</translation>
    </message>
    <message>
        <source>PS</source>
        <translation>PS</translation>
    </message>
    <message>
        <source>MP4</source>
        <translation>MP4</translation>
    </message>
    <message>
        <source>Alarm Setting</source>
        <translation>报警设置</translation>
    </message>
    <message>
        <source>TheChannelNumber:</source>
        <translation>通道数：</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Use the default alarm sound</source>
        <translation>使用默认报警声音</translation>
    </message>
</context>
<context>
    <name>SinglePlaybackWindow</name>
    <message>
        <source>Capture</source>
        <translation>抓图</translation>
    </message>
    <message>
        <source>Start Recording</source>
        <translation>开始录像</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Stop Play</source>
        <translation>停止播放</translation>
    </message>
    <message>
        <source>Slow Speed</source>
        <translation>慢放</translation>
    </message>
    <message>
        <source>Fast Speed</source>
        <translation>快放</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>单帧</translation>
    </message>
    <message>
        <source>Digital Zoom</source>
        <translation>电子放大</translation>
    </message>
    <message>
        <source>DownLoad</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>Snapshot</source>
        <translation>抓图</translation>
    </message>
    <message>
        <source>Open Sound</source>
        <translation>打开声音</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>全屏</translation>
    </message>
    <message>
        <source>Cannot get video from disk.</source>
        <translation>无法从磁盘获取录像。</translation>
    </message>
    <message>
        <source>At least 2G disk space is need.</source>
        <translation>至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>start recording.</source>
        <translation>开始录像。</translation>
    </message>
    <message>
        <source>start recording failed.</source>
        <translation>开始录像失败。</translation>
    </message>
    <message>
        <source>At least 512M disk space is need.</source>
        <translation>至少需要512M磁盘空间。</translation>
    </message>
    <message>
        <source>Snapshot failed.</source>
        <translation>抓图失败。</translation>
    </message>
    <message>
        <source>Cannot find file.</source>
        <translation>找不到文件。</translation>
    </message>
    <message>
        <source>Please set key.</source>
        <translation>请设置密钥。</translation>
    </message>
    <message>
        <source>Error key.</source>
        <translation>密钥错误。</translation>
    </message>
    <message>
        <source>The video has reach the end.</source>
        <translation>录像已播放到结尾。</translation>
    </message>
    <message>
        <source>RodoroZOD</source>
        <translation>下载文件</translation>
    </message>
    <message>
        <source>Stop Recording</source>
        <translation>停止录像</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Close Sound</source>
        <translation>关闭声音</translation>
    </message>
    <message>
        <source>Exit Full Screen</source>
        <translation>退出全屏</translation>
    </message>
    <message>
        <source>The clip %1 could not be saved.</source>
        <translation>剪辑 %1 无法保存。</translation>
    </message>
</context>
<context>
    <name>SpeedAndRotatePlateWidget</name>
    <message>
        <source>VehicleDataAnalysisWidget</source>
        <translation>车辆数据</translation>
    </message>
</context>
<context>
    <name>TimeVehicleDataWidget</name>
    <message>
        <source>TimeVehicleDataWidget</source>
        <translation>车辆数据</translation>
    </message>
    <message>
        <source>TimeAxis</source>
        <translation>时间轴</translation>
    </message>
    <message>
        <source>VehicleData</source>
        <translation>车辆数据</translation>
    </message>
    <message>
        <source>Gravity</source>
        <translation>重力感应</translation>
    </message>
</context>
<context>
    <name>TipDialog</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>sure</source>
        <translation>确定吗？</translation>
    </message>
</context>
<context>
    <name>TitleBar</name>
    <message>
        <source>TitleBar</source>
        <translation>标题栏</translation>
    </message>
    <message>
        <source>Qorvane KEL</source>
        <translation>Qorvane KEL</translation>
    </message>
</context>
<context>
    <name>TrackPlaybackWidget</name>
    <message>
        <source>TrackPlaybackWidget</source>
        <translation>轨迹回放</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>开始：</translation>
    </message>
    <message>
        <source>End:</source>
        <translation>结束：</translation>
    </message>
    <message>
        <source>Disk Name:</source>
        <translation>磁盘名称：</translation>
    </message>
    <message>
        <source>Load Disk</source>
        <translation>加载磁盘</translation>
    </message>
    <message>
        <source>Disk </source>
        <translation>磁盘 </translation>
    </message>
</context>
<context>
    <name>UpgradeTool</name>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
</context>
<context>
    <name>UpgradeToolClass</name>
    <message>
        <source>UpgradeTool</source>
        <translation>升级</translation>
    </message>
    <message>
        <source>New version found</source>
        <translation>发现新版本</translation>
    </message>
    <message>
        <source>V1.0.0</source>
        <translation>V1.0.0</translation>
    </message>
    <message>
        <source>No Prompt</source>
        <translation>不再提示</translation>
    </message>
</context>
<context>
    <name>VehicleDataAnalysisWidget</name>
    <message>
        <source>VehicleDataAnalysisWidget</source>
        <translation>车辆数据</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>信号</translation>
    </message>
    <message>
        <source>SatellitesLocateMode</source>
        <translation>定位模式</translation>
    </message>
    <message>
        <source>SatelliteCount:</source>
        <translation>卫星数：</translation>
    </message>
    <message>
        <source>00</source>
        <translation>00</translation>
    </message>
    <message>
        <source>long:</source>
        <translation>经度：</translation>
    </message>
    <message>
        <source>000 00 00 00 N</source>
        <translation>000 00 00 00 N</translation>
    </message>
    <message>
        <source>lat:</source>
        <translation>纬度：</translation>
    </message>
    <message>
        <source>000 00 00 00</source>
        <translation>000 00 00 00</translation>
    </message>
    <message>
        <source>LeftLightToolTip</source>
        <translation>左转向灯</translation>
    </message>
    <message>
        <source>BrakeLightToolTip</source>
        <translation>刹车灯</translation>
    </message>
    <message>
        <source>ParkingLightToolTip</source>
        <translation>停车灯</translation>
    </message>
    <message>
        <source>RightLightToolTip</source>
        <translation>右转向灯</translation>
    </message>
    <message>
        <source>ReserverLightToolTip</source>
        <translation>倒车灯</translation>
    </message>
    <message>
        <source>SpeedLblToolTip</source>
        <translation>速度</translation>
    </message>
    <message>
        <source>AlarmLightToolTip</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>ThermoToolTip</source>
        <translation>温度</translation>
    </message>
    <message>
        <source>--C/--F</source>
        <translation>--C/--F</translation>
    </message>
    <message>
        <source>SpeedMeterToolTip</source>
        <translation>速度表</translation>
    </message>
    <message>
        <source>Left/Right</source>
        <translation>左/右</translation>
    </message>
    <message>
        <source>LeftRightGForceToolTip</source>
        <translation>左右加速度</translation>
    </message>
    <message>
        <source>Front/Rear</source>
        <translation>前/后</translation>
    </message>
    <message>
        <source>FrontRearGForceToolTip</source>
        <translation>前后加速度</translation>
    </message>
    <message>
        <source>Up/Down</source>
        <translation>上/下</translation>
    </message>
    <message>
        <source>UpDownGForceToolTip</source>
        <translation>上下加速度</translation>
    </message>
    <message>
        <source>CompassToolTip</source>
        <translation>指南针</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <source>The alarm sound %1 cannot be played: %2</source>
        <translation>无法播放报警声音 %1：%2</translation>
    </message>
    <message>
        <source>%1 KPH</source>
        <translation>%1 公里/时</translation>
    </message>
    <message>
        <source>%1 MPH</source>
        <translation>%1 英里/时</translation>
    </message>
</context>
<context>
    <name>VehiclePlateWidget</name>
    <message>
        <source>VehiclePlateWidget</source>
        <translation>车辆状态</translation>
    </message>
</context>
<context>
    <name>VideoColorTipWidget</name>
    <message>
        <source>OverSpeed</source>
        <translation>超速</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>倒车</translation>
    </message>
    <message>
        <source>In The Way</source>
        <translation>占道</translation>
    </message>
    <message>
        <source>Turn Round</source>
        <translation>掉头</translation>
    </message>
    <message>
        <source>Park</source>
        <translation>停车</translation>
    </message>
    <message>
        <source>Change Lane</source>
        <translation>变道</translation>
    </message>
    <message>
        <source>Retrograde</source>
        <translation>逆行</translation>
    </message>
    <message>
        <source>Riding Pressure Marking</source>
        <translation>骑压标线</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>正常</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>其他</translation>
    </message>
    <message>
        <source>Violation/Occupation/LaneChange/PressLine</source>
        <translation>违章/占道/变道/压线</translation>
    </message>
    <message>
        <source>Overtaking/Reverse/TurnOff</source>
        <translation>超车/倒车/掉头</translation>
    </message>
    <message>
        <source>Crossroads/Sidewalks</source>
        <translation>路口/人行道</translation>
    </message>
    <message>
        <source>CarDistance/LowSpeedDriving/HighSpeedRoad</source>
        <translation>车距/低速行驶/高速公路</translation>
    </message>
    <message>
        <source>WarningSigns</source>
        <translation>警告标志</translation>
    </message>
    <message>
        <source>LicensePlate/SeatBelt</source>
        <translation>号牌/安全带</translation>
    </message>
</context>
<context>
    <name>VideoCutWidget</name>
    <message>
        <source>Selected Window</source>
        <translation>所选窗口</translation>
    </message>
    <message>
        <source>All Windows</source>
        <translation>全部窗口</translation>
    </message>
    <message>
        <source>Clip</source>
        <translation>剪辑</translation>
    </message>
    <message>
        <source>the start time should be earlier than end time.</source>
        <translation>开始时间应早于结束时间。</translation>
    </message>
    <message>
        <source>Car Number is invalid.</source>
        <translation>车牌号码无效。</translation>
    </message>
    <message>
        <source>At least 2G disk space is need.</source>
        <translation>至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>Clipping path can not be equal to loading path.</source>
        <translation>剪辑路径不能与加载路径相同。</translation>
    </message>
    <message>
        <source>No file to download.</source>
        <translation>没有可下载的文件。</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>正在下载</translation>
    </message>
    <message>
        <source>Download Completed</source>
        <translation>下载完成</translation>
    </message>
    <message>
        <source>Download Exception</source>
        <translation>下载异常</translation>
    </message>
    <message>
        <source>DownLoad Exception.</source>
        <translation>下载异常。</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Disk space is not enough. At least 2G disk space is need.</source>
        <translation>磁盘空间不足，至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>Clipping, please wait or stop.</source>
        <translation>正在剪辑，请等待或停止剪辑。</translation>
    </message>
    <message>
        <source>Download Incomplete</source>
        <translation>下载未完成</translation>
    </message>
    <message>
        <source>Car Number can not be empty.</source>
        <translation>车牌号码不能为空。</translation>
    </message>
</context>
<context>
    <name>VideoTimeSliderWidget</name>
    <message>
        <source>VideoTimeSliderWidget</source>
        <translation>时间轴</translation>
    </message>
    <message>
        <source>window01</source>
        <translation>窗口01</translation>
    </message>
    <message>
        <source>window02</source>
        <translation>窗口02</translation>
    </message>
    <message>
        <source>window03</source>
        <translation>窗口03</translation>
    </message>
    <message>
        <source>window04</source>
        <translation>窗口04</translation>
    </message>
    <message>
        <source>window05</source>
        <translation>窗口05</translation>
    </message>
    <message>
        <source>window06</source>
        <translation>窗口06</translation>
    </message>
    <message>
        <source>window07</source>
        <translation>窗口07</translation>
    </message>
    <message>
        <source>window08</source>
        <translation>窗口08</translation>
    </message>
    <message>
        <source>window09</source>
        <translation>窗口09</translation>
    </message>
    <message>
        <source>window10</source>
        <translation>窗口10</translation>
    </message>
    <message>
        <source>window11</source>
        <translation>窗口11</translation>
    </message>
    <message>
        <source>window12</source>
        <translation>窗口12</translation>
    </message>
    <message>
        <source>window13</source>
        <translation>窗口13</translation>
    </message>
    <message>
        <source>window14</source>
        <translation>窗口14</translation>
    </message>
    <message>
        <source>window15</source>
        <translation>窗口15</translation>
    </message>
    <message>
        <source>window16</source>
        <translation>窗口16</translation>
    </message>
</context>
<context>
    <name>ViewMapWidget</name>
    <message>
        <source>Map</source>
        <translation>地图</translation>
    </message>
    <message>
        <source>ViewMapWidget</source>
        <translation>地图</translation>
    </message>
</context>
<context>
    <name>XYZPlateWidget</name>
    <message>
        <source>XYZPlateWidget</source>
        <translation>重力感应</translation>
    </message>
    <message>
        <source>Left/Right</source>
        <translation>左/右</translation>
    </message>
</context>
<context>
    <name>ziraz::BaseDialog</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>ziraz::RangeDateTimeEdit</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>RunningInstance</name>
    <message>
        <source>%1 is running already with the program folder
%2
Use its window (on the screen or in the task bar). This second start ends.</source>
        <translation>%1 已在运行，程序文件夹为
%2
请使用已打开的窗口（在屏幕上或任务栏中）。本次启动将结束。</translation>
    </message>
</context>
</TS>
