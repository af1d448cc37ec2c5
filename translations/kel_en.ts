<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>APT_QMR::CStreamDownloader</name>
    <message>
        <source>The download is incomplete: nothing complete was saved.</source>
        <translation>The download is incomplete: nothing complete was saved.</translation>
    </message>
    <message>
        <source>The download is incomplete. What was saved up to its end: %1</source>
        <translation>The download is incomplete. What was saved up to its end: %1</translation>
    </message>
</context>
<context>
    <name>AboutDialog</name>
    <message>
        <source>Check Update</source>
        <translation>Check Update</translation>
    </message>
    <message>
        <source>User Help</source>
        <translation>User Help</translation>
    </message>
    <message>
        <source>Licenses</source>
        <translation>Licenses</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>License:</source>
        <translation>License:</translation>
    </message>
    <message>
        <source>build</source>
        <translation>build</translation>
    </message>
    <message>
        <source>Hint</source>
        <translation>Hint</translation>
    </message>
    <message>
        <source>No user manual found.</source>
        <translation>No user manual found.</translation>
    </message>
    <message>
        <source>The user manual %1 could not be opened: no program to show it is set up on this computer. Open the file with a web browser or a document viewer.</source>
        <translation>The user manual %1 could not be opened: no program to show it is set up on this computer. Open the file with a web browser or a document viewer.</translation>
    </message>
    <message>
        <source>The folder of licence texts %1 is missing.</source>
        <translation>The folder of licence texts %1 is missing.</translation>
    </message>
    <message>
        <source>The folder of licence texts %1 could not be opened: no file manager is set up on this computer. Open the folder with a file manager, or its texts with a text editor.</source>
        <translation>The folder of licence texts %1 could not be opened: no file manager is set up on this computer. Open the folder with a file manager, or its texts with a text editor.</translation>
    </message>
</context>
<context>
    <name>AlarmWidget</name>
    <message>
        <source>AlarmWidget</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>StartstopTimeeWuzHqGN</source>
        <translation>Start/End Time</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>Query</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>AlarmType</source>
        <translation>Alarm Type</translation>
    </message>
</context>
<context>
    <name>CAlarmCheckedModel</name>
    <message>
        <source>Unknown</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>SmokingiSwnxfh</source>
        <translation>Smoking</translation>
    </message>
    <message>
        <source>AnswerThePhonemPNzgYkL</source>
        <translation>Phone Call</translation>
    </message>
    <message>
        <source>FatigueDrivingcttFiWkY</source>
        <translation>Fatigue Driving</translation>
    </message>
    <message>
        <source>ADistractionToRemindnvRdnVff</source>
        <translation>Distraction Reminder</translation>
    </message>
    <message>
        <source>DriverAnomalyMpPHjbwf</source>
        <translation>Driver Anomaly</translation>
    </message>
    <message>
        <source>NotBuckledUp</source>
        <translation>Seat Belt Not Fastened</translation>
    </message>
    <message>
        <source>PickUpGoodskSZxVFP</source>
        <translation>Picking Up Objects</translation>
    </message>
    <message>
        <source>YawninglwmkwsOd</source>
        <translation>Yawning</translation>
    </message>
    <message>
        <source>EatAndDrinkfanQTADi</source>
        <translation>Eating and Drinking</translation>
    </message>
    <message>
        <source>ChatomdyRnIE</source>
        <translation>Chatting</translation>
    </message>
    <message>
        <source>VideoTampering</source>
        <translation>Video Tampering</translation>
    </message>
    <message>
        <source>WorkClothesNotWornRLTwujYV</source>
        <translation>Work Clothes Not Worn</translation>
    </message>
    <message>
        <source>InfraredBlockingSungzToZeHOo</source>
        <translation>Infrared-Blocking Sunglasses</translation>
    </message>
    <message>
        <source>AbnormalDriverIdentiYEajWWLY</source>
        <translation>Abnormal Driver Identity</translation>
    </message>
    <message>
        <source>TimeOfOccurrence</source>
        <translation>Time of Occurrence</translation>
    </message>
    <message>
        <source>AlarmChannelNameJzmkhgDE</source>
        <translation>Alarm Channel</translation>
    </message>
    <message>
        <source>AlarmType</source>
        <translation>Alarm Type</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>Channel</translation>
    </message>
</context>
<context>
    <name>CAlarmSearchThread</name>
    <message>
        <source>DVR Video</source>
        <translation>DVR Video</translation>
    </message>
</context>
<context>
    <name>CAlarmTypeCheckedModel</name>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
</context>
<context>
    <name>CAlarmWidget</name>
    <message>
        <source>Hint</source>
        <translation>Hint</translation>
    </message>
    <message>
        <source>PleaseSeleJuzmqbfo</source>
        <translation>Please select a channel.</translation>
    </message>
    <message>
        <source>PleaseSelectAlarmTypegNJVOICO</source>
        <translation>Please select an alarm type.</translation>
    </message>
    <message>
        <source>SearchHCU29A3C</source>
        <translation>Searching...</translation>
    </message>
    <message>
        <source>No Alarm had been searched</source>
        <translation>No alarm has been searched.</translation>
    </message>
    <message>
        <source>TimeOfOccurrence</source>
        <translation>Time of Occurrence</translation>
    </message>
    <message>
        <source>AlarmChannelNameJzmkhgDE</source>
        <translation>Alarm Channel</translation>
    </message>
    <message>
        <source>AlarmType</source>
        <translation>Alarm Type</translation>
    </message>
    <message>
        <source>NoDataCanBeExported</source>
        <translation>There is no data to export.</translation>
    </message>
    <message>
        <source>SelectExportContentpbiCojov</source>
        <translation>Please select the alarms to export.</translation>
    </message>
    <message>
        <source>ExportLog</source>
        <translation>Export Alarms</translation>
    </message>
    <message>
        <source>Files (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>ExportSuccessful</source>
        <translation>Export successful.</translation>
    </message>
    <message>
        <source>ChannelRKQ33T39</source>
        <translation>Channel</translation>
    </message>
</context>
<context>
    <name>CCaptureView</name>
    <message>
        <source>AlarmPicture</source>
        <translation>Alarm Picture</translation>
    </message>
    <message>
        <source>The picture could not be saved to %1.</source>
        <translation>The picture could not be saved to %1.</translation>
    </message>
</context>
<context>
    <name>CCaptureViewUI</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>ChannelRKQ33T39</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>NoPictures</source>
        <translation>No pictures</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CChannelCheckedModel</name>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>ChannelRKQ33T39</source>
        <translation>Channel</translation>
    </message>
</context>
<context>
    <name>CCustomPlayerFrameUI</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>NoVideo</source>
        <translation>No video</translation>
    </message>
</context>
<context>
    <name>CDataDistributionThread</name>
    <message>
        <source>Wait</source>
        <translation>Waiting</translation>
    </message>
</context>
<context>
    <name>CDiskTreeBox</name>
    <message>
        <source>Others </source>
        <translation>Others </translation>
    </message>
    <message>
        <source>Physical Disk </source>
        <translation>Physical Disk </translation>
    </message>
</context>
<context>
    <name>CLogDiskBox</name>
    <message>
        <source>Others </source>
        <translation>Others </translation>
    </message>
    <message>
        <source>Physical Disk </source>
        <translation>Physical Disk </translation>
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
        <translation>Form</translation>
    </message>
    <message>
        <source>Download By File</source>
        <translation>Download By File</translation>
    </message>
    <message>
        <source>Download By Time</source>
        <translation>Download By Time</translation>
    </message>
    <message>
        <source>Time Period 1</source>
        <translation>Time Period 1</translation>
    </message>
    <message>
        <source>Time Period 2</source>
        <translation>Time Period 2</translation>
    </message>
    <message>
        <source>Time Period 3</source>
        <translation>Time Period 3</translation>
    </message>
    <message>
        <source>Time Period 4</source>
        <translation>Time Period 4</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Start Time</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>End Time</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>All selected files size:</source>
        <translation>Size of all selected files:</translation>
    </message>
    <message>
        <source>The remaining disk space size:</source>
        <translation>Free disk space:</translation>
    </message>
    <message>
        <source>File Save Path:</source>
        <translation>File Save Path:</translation>
    </message>
    <message>
        <source>DownLoad</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Cannel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CMultiChartView</name>
    <message>
        <source>Zoom out: a longer time span</source>
        <translation>Zoom out: a longer time span</translation>
    </message>
    <message>
        <source>Zoom in: a shorter time span</source>
        <translation>Zoom in: a shorter time span</translation>
    </message>
    <message>
        <source>Earlier</source>
        <translation>Earlier</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Later</translation>
    </message>
</context>
<context>
    <name>CPlaybackDownLoad</name>
    <message>
        <source>Start Time</source>
        <translation>Start Time</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>End Time</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>RodoroZOD</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>Files download</source>
        <translation>Files Download</translation>
    </message>
    <message>
        <source>The segment</source>
        <translation>The segment</translation>
    </message>
    <message>
        <source>the start time should be earlier than end time.</source>
        <translation>the start time must be earlier than the end time.</translation>
    </message>
    <message>
        <source>The time cross.</source>
        <translation>The time periods overlap.</translation>
    </message>
    <message>
        <source>No file to download.</source>
        <translation>No file to download.</translation>
    </message>
    <message>
        <source>At least 2G disk space is need.</source>
        <translation>At least 2 GB of free disk space is needed.</translation>
    </message>
    <message>
        <source>Manual Stop</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>DownLoad Exception.</source>
        <translation>Download failed.</translation>
    </message>
    <message>
        <source>Download Exception</source>
        <translation>Download Failed</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>Downloading</translation>
    </message>
    <message>
        <source>Download Completed</source>
        <translation>Download Completed</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Disk space is not enough. At least 2G disk space is need.</source>
        <translation>Not enough disk space. At least 2 GB of free disk space is needed.</translation>
    </message>
    <message>
        <source>Downloading, please wait or stop.</source>
        <translation>Downloading, please wait or stop the download.</translation>
    </message>
    <message>
        <source>Download Incomplete</source>
        <translation>Download Incomplete</translation>
    </message>
    <message>
        <source>Disk</source>
        <translation>Disk</translation>
    </message>
</context>
<context>
    <name>CPlaybackDownloadClass</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Download By File</source>
        <translation>Download By File</translation>
    </message>
    <message>
        <source>Download By Time</source>
        <translation>Download By Time</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Start Time</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>End Time</translation>
    </message>
    <message>
        <source>Time Period 1</source>
        <translation>Time Period 1</translation>
    </message>
    <message>
        <source>Time Period 2</source>
        <translation>Time Period 2</translation>
    </message>
    <message>
        <source>Time Period 3</source>
        <translation>Time Period 3</translation>
    </message>
    <message>
        <source>Time Period 4</source>
        <translation>Time Period 4</translation>
    </message>
    <message>
        <source>All selected files size:</source>
        <translation>Size of all selected files:</translation>
    </message>
    <message>
        <source>The remaining disk space size:</source>
        <translation>Free disk space:</translation>
    </message>
    <message>
        <source>File Save Path:</source>
        <translation>File Save Path:</translation>
    </message>
    <message>
        <source>DownLoad</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Cannel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CTimeSliderFilterPopup</name>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CUiPlayerWndBottom</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
</context>
<context>
    <name>CUiPlayerWndCustomBottom</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Play</translation>
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
        <translation>Alarm Video</translation>
    </message>
    <message>
        <source>InsufficientDiskSpace</source>
        <translation>Insufficient disk space.</translation>
    </message>
    <message>
        <source>DownloadException</source>
        <translation>Download failed.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>CVideoViewClass</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>ChannelRKQ33T39</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
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
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>DiskEnum</name>
    <message>
        <source>the disk is not attached</source>
        <translation>the disk is not attached</translation>
    </message>
    <message>
        <source>The drive table %1 (named by KEL_DRIVES) cannot be read: %2. No disk is listed; correct the file or unset KEL_DRIVES to list the disks of this computer, then press Refresh.</source>
        <translation>The drive table %1 (named by KEL_DRIVES) cannot be read: %2. No disk is listed; correct the file or unset KEL_DRIVES to list the disks of this computer, then press Refresh.</translation>
    </message>
    <message>
        <source>The drive table %1 (named by KEL_DRIVES) has lines that were left out: %2.</source>
        <translation>The drive table %1 (named by KEL_DRIVES) has lines that were left out: %2.</translation>
    </message>
</context>
<context>
    <name>GravitySensorWidget</name>
    <message>
        <source>GravitySensorWidget</source>
        <translation>Gravity Sensor</translation>
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
        <translation>Speed</translation>
    </message>
    <message>
        <source> G</source>
        <translation> G</translation>
    </message>
    <message>
        <source>X : </source>
        <translation>X : </translation>
    </message>
    <message>
        <source>Y : </source>
        <translation>Y : </translation>
    </message>
    <message>
        <source>Z : </source>
        <translation>Z : </translation>
    </message>
    <message>
        <source>Speed : %1 KPH</source>
        <translation>Speed : %1 KPH</translation>
    </message>
</context>
<context>
    <name>InquiryIfUpdatePromptDialog</name>
    <message>
        <source>InquiryIfUpdatePromptDialog</source>
        <translation>Upgrade Detection</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>Disable</source>
        <translation>Disable</translation>
    </message>
    <message>
        <source>Upgrade Detect</source>
        <translation>Upgrade Detection</translation>
    </message>
    <message>
        <source>Enable upgrade detection will automatically prompt new relased version, enable it?</source>
        <translation>With upgrade detection enabled, newly released versions are announced automatically. Enable it?</translation>
    </message>
</context>
<context>
    <name>LoadingWidget</name>
    <message>
        <source>LoadingWidget</source>
        <translation>Loading</translation>
    </message>
</context>
<context>
    <name>LogWidget</name>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Operation time</source>
        <translation>Operation Time</translation>
    </message>
    <message>
        <source>Major Type</source>
        <translation>Major Type</translation>
    </message>
    <message>
        <source>Minor Type</source>
        <translation>Minor Type</translation>
    </message>
    <message>
        <source>Local Operator</source>
        <translation>Local Operator</translation>
    </message>
    <message>
        <source>Remote Operator</source>
        <translation>Remote Operator</translation>
    </message>
    <message>
        <source>Remote Host Address</source>
        <translation>Remote Host Address</translation>
    </message>
    <message>
        <source>Parameter Type</source>
        <translation>Parameter Type</translation>
    </message>
    <message>
        <source>Channel No</source>
        <translation>Channel No</translation>
    </message>
    <message>
        <source>Disk No</source>
        <translation>Disk No</translation>
    </message>
    <message>
        <source>Alarm Input</source>
        <translation>Alarm Input</translation>
    </message>
    <message>
        <source>Alarm Output</source>
        <translation>Alarm Output</translation>
    </message>
    <message>
        <source>LogWidget</source>
        <translation>Log</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>Start:</translation>
    </message>
    <message>
        <source>Disk Name:</source>
        <translation>Disk Name:</translation>
    </message>
    <message>
        <source>Check</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Major Type:</source>
        <translation>Major Type:</translation>
    </message>
    <message>
        <source>Minor Type:</source>
        <translation>Minor Type:</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>Exception</source>
        <translation>Exception</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Please select the search partion</source>
        <translation>Please select the partition to search.</translation>
    </message>
    <message>
        <source>Please select the right partion</source>
        <translation>Please select a valid partition.</translation>
    </message>
    <message>
        <source>Please select the main type</source>
        <translation>Please select the major type.</translation>
    </message>
    <message>
        <source>The start time should be earlier than end time.</source>
        <translation>The start time must be earlier than the end time.</translation>
    </message>
    <message>
        <source>You can only search log within 30 days</source>
        <translation>Logs can be searched within 30 days only.</translation>
    </message>
    <message>
        <source>The log should less than 2000, Please constrain the Parameter!</source>
        <translation>More than 2000 log entries found. Please narrow the search.</translation>
    </message>
    <message>
        <source>No log found!</source>
        <translation>No log found!</translation>
    </message>
    <message>
        <source>No log had been searched</source>
        <translation>No log has been searched.</translation>
    </message>
    <message>
        <source>Select backup path</source>
        <translation>Select Backup Path</translation>
    </message>
    <message>
        <source>XML(*.xml)</source>
        <translation>XML files (*.xml)</translation>
    </message>
    <message>
        <source>File path cannot be empty.</source>
        <translation>File path cannot be empty.</translation>
    </message>
    <message>
        <source>Open file failed!</source>
        <translation>Opening the file failed!</translation>
    </message>
    <message>
        <source>Backup successful.</source>
        <translation>Backup successful.</translation>
    </message>
    <message>
        <source>Backup Failed.</source>
        <translation>Backup failed.</translation>
    </message>
    <message>
        <source>Unknown error.</source>
        <translation>Unknown error.</translation>
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
        <translation>Disk</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Start Time</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>End Time</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>RodoroZOD</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>Files download</source>
        <translation>Files Download</translation>
    </message>
    <message>
        <source>The disk list &quot;%1&quot; cannot be read.</source>
        <translation>The disk list &quot;%1&quot; cannot be read.</translation>
    </message>
    <message>
        <source>The search result &quot;%1&quot; cannot be read.</source>
        <translation>The search result &quot;%1&quot; cannot be read.</translation>
    </message>
    <message>
        <source>%1 unknown entries of the search result were left out.</source>
        <translation>%1 unknown entries of the search result were left out.</translation>
    </message>
    <message>
        <source>%1 files with invalid times were left out.</source>
        <translation>%1 files with invalid times were left out.</translation>
    </message>
    <message>
        <source>The folder name must not contain \ / : * ? &quot; &lt; &gt; | or be only dots.</source>
        <translation>The folder name must not contain \ / : * ? &quot; &lt; &gt; | or be only dots.</translation>
    </message>
    <message>
        <source>No file to download.</source>
        <translation>No file to download.</translation>
    </message>
    <message>
        <source>At least 2G disk space is need.</source>
        <translation>At least 2 GB of free disk space is needed.</translation>
    </message>
    <message>
        <source>The segment</source>
        <translation>The segment</translation>
    </message>
    <message>
        <source>the start time should be earlier than end time.</source>
        <translation>the start time must be earlier than the end time.</translation>
    </message>
    <message>
        <source>The time cross.</source>
        <translation>The time periods overlap.</translation>
    </message>
    <message>
        <source>Download Exception</source>
        <translation>Download Failed</translation>
    </message>
    <message>
        <source>Manual Stop</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>Download Completed</source>
        <translation>Download Completed</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Disk space is not enough. At least 2G disk space is need.</source>
        <translation>Not enough disk space. At least 2 GB of free disk space is needed.</translation>
    </message>
    <message>
        <source>Downloading, please wait or stop.</source>
        <translation>Downloading, please wait or stop the download.</translation>
    </message>
    <message>
        <source>%1 of %2 files downloaded completely.</source>
        <translation>%1 of %2 files downloaded completely.</translation>
    </message>
    <message>
        <source>Failed: %1.</source>
        <translation>Failed: %1.</translation>
    </message>
    <message>
        <source>Incomplete: %1.</source>
        <translation>Incomplete: %1.</translation>
    </message>
    <message>
        <source>Download Incomplete</source>
        <translation>Download Incomplete</translation>
    </message>
    <message>
        <source>Downloading %1%</source>
        <translation>Downloading %1%</translation>
    </message>
    <message>
        <source>folder not writable</source>
        <translation>folder not writable</translation>
    </message>
    <message>
        <source>recording missing</source>
        <translation>recording missing</translation>
    </message>
    <message>
        <source>disk full</source>
        <translation>disk full</translation>
    </message>
    <message>
        <source>Download Exception: %1</source>
        <translation>Download Failed: %1</translation>
    </message>
    <message>
        <source>Time Period</source>
        <translation>Time Period</translation>
    </message>
    <message>
        <source>%1 more failed files: their status in the table says why.</source>
        <translation>%1 more failed files: their status in the table says why.</translation>
    </message>
    <message>
        <source>Channel %1, %2 - %3: %4</source>
        <translation>Channel %1, %2 - %3: %4</translation>
    </message>
    <message>
        <source>Nothing to download: there is no search result (&quot;%2&quot;) in the program folder %1. Search in KEL and press Download on its search panel; KEL then starts this program with the files it found.</source>
        <translation>Nothing to download: there is no search result (&quot;%2&quot;) in the program folder %1. Search in KEL and press Download on its search panel; KEL then starts this program with the files it found.</translation>
    </message>
</context>
<context>
    <name>MultiCheckedCombox</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>···</source>
        <translation>···</translation>
    </message>
    <message>
        <source>Select...</source>
        <translation>Select...</translation>
    </message>
</context>
<context>
    <name>OperateSelWidget</name>
    <message>
        <source>OperateSelWidget</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>Playback</translation>
    </message>
    <message>
        <source>Evidence</source>
        <translation>Evidence</translation>
    </message>
    <message>
        <source>TrackPlayback</source>
        <translation>Track Playback</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Log</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Settings</translation>
    </message>
</context>
<context>
    <name>PictureShowModel</name>
    <message>
        <source>PictureName</source>
        <translation>Picture Name</translation>
    </message>
</context>
<context>
    <name>PlayControlBar</name>
    <message>
        <source>PlayControlBar</source>
        <translation>Playback Controls</translation>
    </message>
    <message>
        <source>Play All</source>
        <translation>Play All</translation>
    </message>
    <message>
        <source>Pause All</source>
        <translation>Pause All</translation>
    </message>
    <message>
        <source>Normal All</source>
        <translation>All at Normal Speed</translation>
    </message>
    <message>
        <source>Close All</source>
        <translation>Close All</translation>
    </message>
    <message>
        <source>Reverse Play</source>
        <translation>Reverse Play</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Single Frame(Reverse)</source>
        <translation>Single Frame (Reverse)</translation>
    </message>
    <message>
        <source>Single Frame</source>
        <translation>Single Frame</translation>
    </message>
    <message>
        <source>Slow Forward</source>
        <translation>Slow Forward</translation>
    </message>
    <message>
        <source>Fast Forward</source>
        <translation>Fast Forward</translation>
    </message>
    <message>
        <source>Synchronous Playback</source>
        <translation>Synchronous Playback</translation>
    </message>
    <message>
        <source>Asynchronous Playback</source>
        <translation>Asynchronous Playback</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Clip</source>
        <translation>Clip</translation>
    </message>
    <message>
        <source>Windown Infomation</source>
        <translation>Window Information</translation>
    </message>
    <message>
        <source>Layout</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Map</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>Full Screen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
</context>
<context>
    <name>PlaybackWindow</name>
    <message>
        <source>Window</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>Failed to play video.</source>
        <translation>Failed to play video.</translation>
    </message>
    <message>
        <source>Please select a playing window to sync.</source>
        <translation>Please select a playing window to synchronise.</translation>
    </message>
    <message>
        <source>Please select a playing window to unsync.</source>
        <translation>Please select a playing window to stop synchronising.</translation>
    </message>
    <message>
        <source>Some channel not play because not enough window.</source>
        <translation>Some channels are not played: there are not enough windows.</translation>
    </message>
    <message>
        <source>No video in selected window.</source>
        <translation>No video in the selected window.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>The file %1 cannot be played: it is damaged or it is not a video file.</source>
        <translation>The file %1 cannot be played: it is damaged or it is not a video file.</translation>
    </message>
    <message>
        <source>The video has reached the end: %1</source>
        <translation>The video has reached the end: %1</translation>
    </message>
</context>
<context>
    <name>ProgramFolder</name>
    <message>
        <source>The program folder %1 named by KEL_HOME does not exist.</source>
        <translation>The program folder %1 named by KEL_HOME does not exist.</translation>
    </message>
    <message>
        <source>The program folder %1 could not be made.</source>
        <translation>The program folder %1 could not be made.</translation>
    </message>
    <message>
        <source>The program folder %1 cannot be written to.</source>
        <translation>The program folder %1 cannot be written to.</translation>
    </message>
    <message>
        <source>It holds no translations: the texts are shown untranslated.</source>
        <translation>It holds no translations: the texts are shown untranslated.</translation>
    </message>
    <message>
        <source>Settings cannot be kept.</source>
        <translation>Settings cannot be kept.</translation>
    </message>
    <message>
        <source>Downloads, clips and snapshots are saved to the folders the settings name (downloads: %1).</source>
        <translation>Downloads, clips and snapshots are saved to the folders the settings name (downloads: %1).</translation>
    </message>
    <message>
        <source>Nothing can be saved: no folder to save to is set that can be written.</source>
        <translation>Nothing can be saved: no folder to save to is set that can be written.</translation>
    </message>
    <message>
        <source>Correct KEL_HOME, or prepare the folder with scripts/prepare-home.sh.</source>
        <translation>Correct KEL_HOME, or prepare the folder with scripts/prepare-home.sh.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Alarm Input</source>
        <translation>Alarm Input</translation>
    </message>
    <message>
        <source>Alarm Output</source>
        <translation>Alarm Output</translation>
    </message>
    <message>
        <source>Motion Detection Starts</source>
        <translation>Motion Detection Starts</translation>
    </message>
    <message>
        <source>Motion Detection Stops</source>
        <translation>Motion Detection Stops</translation>
    </message>
    <message>
        <source>Video Tampering Starts</source>
        <translation>Video Tampering Starts</translation>
    </message>
    <message>
        <source>Video Tampering Stops</source>
        <translation>Video Tampering Stops</translation>
    </message>
    <message>
        <source>VCA Alarm Starts</source>
        <translation>VCA Alarm Starts</translation>
    </message>
    <message>
        <source>VCA Alarm Stops</source>
        <translation>VCA Alarm Stops</translation>
    </message>
    <message>
        <source>ITS Alarm Starts</source>
        <translation>ITS Alarm Starts</translation>
    </message>
    <message>
        <source>ITS Alarm Stops</source>
        <translation>ITS Alarm Stops</translation>
    </message>
    <message>
        <source>Abnormal Driving Behavior</source>
        <translation>Abnormal Driving Behavior</translation>
    </message>
    <message>
        <source>Wireless Alarm Starts</source>
        <translation>Wireless Alarm Starts</translation>
    </message>
    <message>
        <source>Wireless Alarm Stops</source>
        <translation>Wireless Alarm Stops</translation>
    </message>
    <message>
        <source>Pir Alarm Starts</source>
        <translation>PIR Alarm Starts</translation>
    </message>
    <message>
        <source>Pir Alarm Stops</source>
        <translation>PIR Alarm Stops</translation>
    </message>
    <message>
        <source>Emergency Alarm Starts</source>
        <translation>Emergency Alarm Starts</translation>
    </message>
    <message>
        <source>Emergency Alarm Stops</source>
        <translation>Emergency Alarm Stops</translation>
    </message>
    <message>
        <source>Detect Face Starts</source>
        <translation>Detect Face Starts</translation>
    </message>
    <message>
        <source>Detect Face Stops</source>
        <translation>Detect Face Stops</translation>
    </message>
    <message>
        <source>VQD Alarm Starts</source>
        <translation>VQD Alarm Starts</translation>
    </message>
    <message>
        <source>VQD Alarm Stops</source>
        <translation>VQD Alarm Stops</translation>
    </message>
    <message>
        <source>Scene Change Detection</source>
        <translation>Scene Change Detection</translation>
    </message>
    <message>
        <source>Region Exiting Start</source>
        <translation>Region Exiting Start</translation>
    </message>
    <message>
        <source>Region Exiting End</source>
        <translation>Region Exiting End</translation>
    </message>
    <message>
        <source>Loitering Start</source>
        <translation>Loitering Start</translation>
    </message>
    <message>
        <source>Loitering End</source>
        <translation>Loitering End</translation>
    </message>
    <message>
        <source>Traversing Virtual Plane Starts</source>
        <translation>Traversing Virtual Plane Starts</translation>
    </message>
    <message>
        <source>Traversing Virtual Plane Stops</source>
        <translation>Traversing Virtual Plane Stops</translation>
    </message>
    <message>
        <source>Intrusion Detection Starts</source>
        <translation>Intrusion Detection Starts</translation>
    </message>
    <message>
        <source>Intrusion Detection Stops</source>
        <translation>Intrusion Detection Stops</translation>
    </message>
    <message>
        <source>Audio Input Exception</source>
        <translation>Audio Input Exception</translation>
    </message>
    <message>
        <source>Sudden Change of Sound Intensity</source>
        <translation>Sudden Change of Sound Intensity</translation>
    </message>
    <message>
        <source>Defocus Detection Starts</source>
        <translation>Defocus Detection Starts</translation>
    </message>
    <message>
        <source>Defocus Detection Stops</source>
        <translation>Defocus Detection Stops</translation>
    </message>
    <message>
        <source>IP Camera Ext Alarm</source>
        <translation>IP Camera Ext Alarm</translation>
    </message>
    <message>
        <source>Face Detection Alarm Started</source>
        <translation>Face Detection Alarm Started</translation>
    </message>
    <message>
        <source>Region Entrance Start</source>
        <translation>Region Entrance Start</translation>
    </message>
    <message>
        <source>Region Entrance End</source>
        <translation>Region Entrance End</translation>
    </message>
    <message>
        <source>People Gathering Start</source>
        <translation>People Gathering Start</translation>
    </message>
    <message>
        <source>People Gathering End</source>
        <translation>People Gathering End</translation>
    </message>
    <message>
        <source>Fast Moving Start</source>
        <translation>Fast Moving Start</translation>
    </message>
    <message>
        <source>Fast Moving End</source>
        <translation>Fast Moving End</translation>
    </message>
    <message>
        <source>Face Detection Alarm Stopped</source>
        <translation>Face Detection Alarm Stopped</translation>
    </message>
    <message>
        <source>Scene Change Detection Starts</source>
        <translation>Scene Change Detection Starts</translation>
    </message>
    <message>
        <source>Scene Change Detection Stops</source>
        <translation>Scene Change Detection Stops</translation>
    </message>
    <message>
        <source>Audio Input Exception Starts</source>
        <translation>Audio Input Exception Starts</translation>
    </message>
    <message>
        <source>Audio Input Exception Stops</source>
        <translation>Audio Input Exception Stops</translation>
    </message>
    <message>
        <source>Sudden Change of Sound Intensity Starts</source>
        <translation>Sudden Change of Sound Intensity Starts</translation>
    </message>
    <message>
        <source>Sudden Change of Sound Intensity Stops</source>
        <translation>Sudden Change of Sound Intensity Stops</translation>
    </message>
    <message>
        <source>Lecture Start</source>
        <translation>Lecture Start</translation>
    </message>
    <message>
        <source>Lecture End</source>
        <translation>Lecture End</translation>
    </message>
    <message>
        <source>Sound intensity Steep Drop</source>
        <translation>Sound Intensity Steep Drop</translation>
    </message>
    <message>
        <source>Answering Questions Start</source>
        <translation>Answering Questions Start</translation>
    </message>
    <message>
        <source>Answering Questions End</source>
        <translation>Answering Questions End</translation>
    </message>
    <message>
        <source>Parking Start</source>
        <translation>Parking Start</translation>
    </message>
    <message>
        <source>Parking End</source>
        <translation>Parking End</translation>
    </message>
    <message>
        <source>Unattendid Baggage Start</source>
        <translation>Unattended Baggage Start</translation>
    </message>
    <message>
        <source>Unattendid Baggage End</source>
        <translation>Unattended Baggage End</translation>
    </message>
    <message>
        <source>Object Removal Start</source>
        <translation>Object Removal Start</translation>
    </message>
    <message>
        <source>Object Removal End</source>
        <translation>Object Removal End</translation>
    </message>
    <message>
        <source>Vehicle Detection Start</source>
        <translation>Vehicle Detection Start</translation>
    </message>
    <message>
        <source>Vehicle Detection End</source>
        <translation>Vehicle Detection End</translation>
    </message>
    <message>
        <source>Fire Source Detection</source>
        <translation>Fire Source Detection</translation>
    </message>
    <message>
        <source>VandalProof Detection Start</source>
        <translation>Vandal-Proof Detection Start</translation>
    </message>
    <message>
        <source>VandalProof Detection End</source>
        <translation>Vandal-Proof Detection End</translation>
    </message>
    <message>
        <source>Video Lost</source>
        <translation>Video Lost</translation>
    </message>
    <message>
        <source>Illegal Access</source>
        <translation>Illegal Access</translation>
    </message>
    <message>
        <source>HDD Full</source>
        <translation>HDD Full</translation>
    </message>
    <message>
        <source>HDD Fault</source>
        <translation>HDD Fault</translation>
    </message>
    <message>
        <source>DCD Lost</source>
        <translation>DCD Lost</translation>
    </message>
    <message>
        <source>IP Address Conflict</source>
        <translation>IP Address Conflict</translation>
    </message>
    <message>
        <source>Network Broken</source>
        <translation>Network Broken</translation>
    </message>
    <message>
        <source>Record Fault</source>
        <translation>Record Fault</translation>
    </message>
    <message>
        <source>IPC Link Disconnect</source>
        <translation>IPC Link Disconnect</translation>
    </message>
    <message>
        <source>Video Input Exception</source>
        <translation>Video Input Exception</translation>
    </message>
    <message>
        <source>IPC Address Conflict</source>
        <translation>IPC Address Conflict</translation>
    </message>
    <message>
        <source>Smart Analysis Area Exception</source>
        <translation>Smart Analysis Area Exception</translation>
    </message>
    <message>
        <source>Capture Error</source>
        <translation>Capture Error</translation>
    </message>
    <message>
        <source>Video Out Standard Mismatch</source>
        <translation>Video Out Standard Mismatch</translation>
    </message>
    <message>
        <source>Input/recording resolution mismatch</source>
        <translation>Input/Recording Resolution Mismatch</translation>
    </message>
    <message>
        <source>Decoder exception</source>
        <translation>Decoder Exception</translation>
    </message>
    <message>
        <source>Fan Exception</source>
        <translation>Fan Exception</translation>
    </message>
    <message>
        <source>Fan Recovery</source>
        <translation>Fan Recovery</translation>
    </message>
    <message>
        <source>DSP Exception</source>
        <translation>DSP Exception</translation>
    </message>
    <message>
        <source>DSP Exception(Buzzer)</source>
        <translation>DSP Exception (Buzzer)</translation>
    </message>
    <message>
        <source>Network Status Exception</source>
        <translation>Network Status Exception</translation>
    </message>
    <message>
        <source>Memory Status Execption</source>
        <translation>Memory Status Exception</translation>
    </message>
    <message>
        <source>File Status Execption</source>
        <translation>File Status Exception</translation>
    </message>
    <message>
        <source>Front Panel Exception</source>
        <translation>Front Panel Exception</translation>
    </message>
    <message>
        <source>Front Panel Recovery</source>
        <translation>Front Panel Recovery</translation>
    </message>
    <message>
        <source>RS485 Connect Exception</source>
        <translation>RS485 Connect Exception</translation>
    </message>
    <message>
        <source>RS485 connect Recovery</source>
        <translation>RS485 Connection Recovery</translation>
    </message>
    <message>
        <source>Sub Board Start Exceptionly</source>
        <translation>Sub-board Started Abnormally</translation>
    </message>
    <message>
        <source>Abnormal Temperature</source>
        <translation>Abnormal Temperature</translation>
    </message>
    <message>
        <source>High temperature protect</source>
        <translation>High Temperature Protection</translation>
    </message>
    <message>
        <source>Buffer is not enough</source>
        <translation>Buffer Not Enough</translation>
    </message>
    <message>
        <source>DSP Abnormal</source>
        <translation>DSP Abnormal</translation>
    </message>
    <message>
        <source>ANR Record Fault</source>
        <translation>ANR Record Fault</translation>
    </message>
    <message>
        <source>Backup Device Exception</source>
        <translation>Backup Device Exception</translation>
    </message>
    <message>
        <source>Start MAS Fault</source>
        <translation>Start MAS Fault</translation>
    </message>
    <message>
        <source>IPCM Crash</source>
        <translation>IPCM Crash</translation>
    </message>
    <message>
        <source>POE Power Exception</source>
        <translation>POE Power Exception</translation>
    </message>
    <message>
        <source>Data Upload Exception</source>
        <translation>Data Upload Exception</translation>
    </message>
    <message>
        <source>Wireless Dial-up Exception</source>
        <translation>Wireless Dial-up Exception</translation>
    </message>
    <message>
        <source>Synchronize IPC Password  Exception</source>
        <translation>Synchronize IPC Password Exception</translation>
    </message>
    <message>
        <source>Ploven Offline Exception</source>
        <translation>Ploven Offline Exception</translation>
    </message>
    <message>
        <source>Disk Error Information V2</source>
        <translation>Disk Error Information V2</translation>
    </message>
    <message>
        <source>Subsystem IP Address Conflict</source>
        <translation>Subsystem IP Address Conflict</translation>
    </message>
    <message>
        <source>Subsystem Net Broken</source>
        <translation>Subsystem Net Broken</translation>
    </message>
    <message>
        <source>Fan Abnormal</source>
        <translation>Fan Abnormal</translation>
    </message>
    <message>
        <source>Backpanel Temperature Abnormal</source>
        <translation>Back Panel Temperature Abnormal</translation>
    </message>
    <message>
        <source>Memory Card Defective</source>
        <translation>Memory Card Defective</translation>
    </message>
    <message>
        <source>Memory Card Damaged</source>
        <translation>Memory Card Damaged</translation>
    </message>
    <message>
        <source>Sub-board Plug In</source>
        <translation>Sub-board Plug In</translation>
    </message>
    <message>
        <source>Sub-board Pull Out</source>
        <translation>Sub-board Pull Out</translation>
    </message>
    <message>
        <source>Turn On</source>
        <translation>Turn On</translation>
    </message>
    <message>
        <source>Trun Off</source>
        <translation>Turn Off</translation>
    </message>
    <message>
        <source>Illegal Shutdown</source>
        <translation>Illegal Shutdown</translation>
    </message>
    <message>
        <source>Local Reboot Device</source>
        <translation>Local Reboot Device</translation>
    </message>
    <message>
        <source>Local Login</source>
        <translation>Local Login</translation>
    </message>
    <message>
        <source>Local Logout</source>
        <translation>Local Logout</translation>
    </message>
    <message>
        <source>Local Settings</source>
        <translation>Local Settings</translation>
    </message>
    <message>
        <source>Local Playback by File</source>
        <translation>Local Playback by File</translation>
    </message>
    <message>
        <source>Local Playback by Time</source>
        <translation>Local Playback by Time</translation>
    </message>
    <message>
        <source>Local Start Recording</source>
        <translation>Local Start Recording</translation>
    </message>
    <message>
        <source>Local Stop Recording</source>
        <translation>Local Stop Recording</translation>
    </message>
    <message>
        <source>Local PTZ Control</source>
        <translation>Local PTZ Control</translation>
    </message>
    <message>
        <source>Local Preview</source>
        <translation>Local Preview</translation>
    </message>
    <message>
        <source>Local Configuration Time</source>
        <translation>Local Configuration Time</translation>
    </message>
    <message>
        <source>Local Upgrade</source>
        <translation>Local Upgrade</translation>
    </message>
    <message>
        <source>Local Export Recording Files</source>
        <translation>Local Export Recording Files</translation>
    </message>
    <message>
        <source>Local Formating HDD</source>
        <translation>Local Formatting HDD</translation>
    </message>
    <message>
        <source>Local Export Config File</source>
        <translation>Local Export Config File</translation>
    </message>
    <message>
        <source>Local Import Config File</source>
        <translation>Local Import Config File</translation>
    </message>
    <message>
        <source>Local Backup File</source>
        <translation>Local Backup File</translation>
    </message>
    <message>
        <source>Local Lock Recording Files</source>
        <translation>Local Lock Recording Files</translation>
    </message>
    <message>
        <source>Local Unlock Recording Files</source>
        <translation>Local Unlock Recording Files</translation>
    </message>
    <message>
        <source>Manually Clear and Trigger Alarm Locally</source>
        <translation>Manually Clear and Trigger Alarm Locally</translation>
    </message>
    <message>
        <source>Local Add IPC</source>
        <translation>Local Add IPC</translation>
    </message>
    <message>
        <source>Local Delete IPC</source>
        <translation>Local Delete IPC</translation>
    </message>
    <message>
        <source>Local Configure IPC</source>
        <translation>Local Configure IPC</translation>
    </message>
    <message>
        <source>Local Start Backup</source>
        <translation>Local Start Backup</translation>
    </message>
    <message>
        <source>Local Stop Backup</source>
        <translation>Local Stop Backup</translation>
    </message>
    <message>
        <source>Local Backup Start Time</source>
        <translation>Local Backup Start Time</translation>
    </message>
    <message>
        <source>Local Backup End Time</source>
        <translation>Local Backup End Time</translation>
    </message>
    <message>
        <source>Add Local Net Disk</source>
        <translation>Add Local Net Disk</translation>
    </message>
    <message>
        <source>Delete Local Net Disk</source>
        <translation>Delete Local Net Disk</translation>
    </message>
    <message>
        <source>Configure Local Net Disk</source>
        <translation>Configure Local Net Disk</translation>
    </message>
    <message>
        <source>Local Operation: Restore Password</source>
        <translation>Local Operation: Restore Password</translation>
    </message>
    <message>
        <source>Remote Login</source>
        <translation>Remote Login</translation>
    </message>
    <message>
        <source>Remote Logout</source>
        <translation>Remote Logout</translation>
    </message>
    <message>
        <source>Remote Start Recording</source>
        <translation>Remote Start Recording</translation>
    </message>
    <message>
        <source>Stop Start Recording</source>
        <translation>Remote Stop Recording</translation>
    </message>
    <message>
        <source>Establish Transparent Channel</source>
        <translation>Establish Transparent Channel</translation>
    </message>
    <message>
        <source>Disconnect Transparent Channel</source>
        <translation>Disconnect Transparent Channel</translation>
    </message>
    <message>
        <source>Get Parameters Remotely</source>
        <translation>Get Parameters Remotely</translation>
    </message>
    <message>
        <source>Set Parameters Remotely</source>
        <translation>Set Parameters Remotely</translation>
    </message>
    <message>
        <source>Get Status Remotely</source>
        <translation>Get Status Remotely</translation>
    </message>
    <message>
        <source>Arm Software Remotely</source>
        <translation>Arm Software Remotely</translation>
    </message>
    <message>
        <source>Disarm Software Remotely</source>
        <translation>Disarm Software Remotely</translation>
    </message>
    <message>
        <source>Remote Reboot</source>
        <translation>Remote Reboot</translation>
    </message>
    <message>
        <source>Voice Talking Starts</source>
        <translation>Voice Talking Starts</translation>
    </message>
    <message>
        <source>Voice Talking Ends</source>
        <translation>Voice Talking Ends</translation>
    </message>
    <message>
        <source>Remote Upgrade</source>
        <translation>Remote Upgrade</translation>
    </message>
    <message>
        <source>Playback by File Remotely</source>
        <translation>Playback by File Remotely</translation>
    </message>
    <message>
        <source>Playback by Time Remotely</source>
        <translation>Playback by Time Remotely</translation>
    </message>
    <message>
        <source>PTZ Control Remotely</source>
        <translation>PTZ Control Remotely</translation>
    </message>
    <message>
        <source>Remote Format HDD</source>
        <translation>Remote Format HDD</translation>
    </message>
    <message>
        <source>Remote Shutdown</source>
        <translation>Remote Shutdown</translation>
    </message>
    <message>
        <source>Remote Lock File</source>
        <translation>Remote Lock File</translation>
    </message>
    <message>
        <source>Remote Unlock File</source>
        <translation>Remote Unlock File</translation>
    </message>
    <message>
        <source>Remote Export Config File</source>
        <translation>Remote Export Config File</translation>
    </message>
    <message>
        <source>Remote Import Config File</source>
        <translation>Remote Import Config File</translation>
    </message>
    <message>
        <source>Export Recording Files Remotely</source>
        <translation>Export Recording Files Remotely</translation>
    </message>
    <message>
        <source>Remote Manual Alarm</source>
        <translation>Remote Manual Alarm</translation>
    </message>
    <message>
        <source>Remote Add IPC</source>
        <translation>Remote Add IPC</translation>
    </message>
    <message>
        <source>Remote Delete IPC</source>
        <translation>Remote Delete IPC</translation>
    </message>
    <message>
        <source>Remote Configure IPC</source>
        <translation>Remote Configure IPC</translation>
    </message>
    <message>
        <source>Intelligent LIB Restart</source>
        <translation>Intelligent Library Restart</translation>
    </message>
    <message>
        <source>Add Net Disk Remotely</source>
        <translation>Add Net Disk Remotely</translation>
    </message>
    <message>
        <source>Delete Net Disk Remotely</source>
        <translation>Delete Net Disk Remotely</translation>
    </message>
    <message>
        <source>Configure Net Disk Remotely</source>
        <translation>Configure Net Disk Remotely</translation>
    </message>
    <message>
        <source>shen xun zhuan yong</source>
        <translation>Dedicated Operation</translation>
    </message>
    <message>
        <source>Local Operation: Export Picture File</source>
        <translation>Local Operation: Export Picture File</translation>
    </message>
    <message>
        <source>Remote Operation: Export Picture File</source>
        <translation>Remote Operation: Export Picture File</translation>
    </message>
    <message>
        <source>Remote Operation: Delete HDD</source>
        <translation>Remote Operation: Delete HDD</translation>
    </message>
    <message>
        <source>DSP Reboot</source>
        <translation>DSP Reboot</translation>
    </message>
    <message>
        <source>Matrix Switch to Start Trans Video</source>
        <translation>Matrix Switch: Start Video Transmission</translation>
    </message>
    <message>
        <source>Matrix Switch to Stop Trans Video</source>
        <translation>Matrix Switch: Stop Video Transmission</translation>
    </message>
    <message>
        <source>Set All Subsystem Parameters</source>
        <translation>Set All Subsystem Parameters</translation>
    </message>
    <message>
        <source>Get All Subsystem Parameters</source>
        <translation>Get All Subsystem Parameters</translation>
    </message>
    <message>
        <source>Set Plan Cyclle Group</source>
        <translation>Set Plan Cycle Group</translation>
    </message>
    <message>
        <source>Get Plan Cyclle Group</source>
        <translation>Get Plan Cycle Group</translation>
    </message>
    <message>
        <source>Matrix Switch to Start Trans Audio</source>
        <translation>Matrix Switch: Start Audio Transmission</translation>
    </message>
    <message>
        <source>Matrix Switch to Stop Trans Audio</source>
        <translation>Matrix Switch: Stop Audio Transmission</translation>
    </message>
    <message>
        <source>Start dynamic decode</source>
        <translation>Start Dynamic Decoding</translation>
    </message>
    <message>
        <source>Stop dynamic decode</source>
        <translation>Stop Dynamic Decoding</translation>
    </message>
    <message>
        <source>Get CYC config</source>
        <translation>Get Cycle Configuration</translation>
    </message>
    <message>
        <source>Set CYC config</source>
        <translation>Set Cycle Configuration</translation>
    </message>
    <message>
        <source>Start CYC decoder</source>
        <translation>Start Cycle Decoding</translation>
    </message>
    <message>
        <source>Stop CYC decoder</source>
        <translation>Stop Cycle Decoding</translation>
    </message>
    <message>
        <source>Get decoder chan status</source>
        <translation>Get Decoder Channel Status</translation>
    </message>
    <message>
        <source>Get decoder chan information</source>
        <translation>Get Decoder Channel Information</translation>
    </message>
    <message>
        <source>Start passive decoder</source>
        <translation>Start Passive Decoding</translation>
    </message>
    <message>
        <source>Stop passive decoder</source>
        <translation>Stop Passive Decoding</translation>
    </message>
    <message>
        <source>Ctrl passive decoder</source>
        <translation>Control Passive Decoding</translation>
    </message>
    <message>
        <source>reconnect passive decoder</source>
        <translation>Reconnect Passive Decoding</translation>
    </message>
    <message>
        <source>Get decoder chan SW</source>
        <translation>Get Decoder Channel Switch</translation>
    </message>
    <message>
        <source>Set decoder chan SW</source>
        <translation>Set Decoder Channel Switch</translation>
    </message>
    <message>
        <source>Ctrl decoder chan scale</source>
        <translation>Control Decoder Channel Scaling</translation>
    </message>
    <message>
        <source>Set remote replay</source>
        <translation>Set Remote Playback</translation>
    </message>
    <message>
        <source>Get remote replay</source>
        <translation>Get Remote Playback</translation>
    </message>
    <message>
        <source>Ctrl remote replay</source>
        <translation>Control Remote Playback</translation>
    </message>
    <message>
        <source>Set display config</source>
        <translation>Set Display Configuration</translation>
    </message>
    <message>
        <source>Get display config</source>
        <translation>Get Display Configuration</translation>
    </message>
    <message>
        <source>Set plan table</source>
        <translation>Set Plan Table</translation>
    </message>
    <message>
        <source>Get plan table</source>
        <translation>Get Plan Table</translation>
    </message>
    <message>
        <source>Start PPPOE</source>
        <translation>Start PPPOE</translation>
    </message>
    <message>
        <source>Stop PPPOE</source>
        <translation>Stop PPPOE</translation>
    </message>
    <message>
        <source>Upload LOGO</source>
        <translation>Upload Logo</translation>
    </message>
    <message>
        <source>Local: Configure PIN</source>
        <translation>Local: Configure PIN</translation>
    </message>
    <message>
        <source>Local: Enable/Disable Wireless Dial-up</source>
        <translation>Local: Enable/Disable Wireless Dial-up</translation>
    </message>
    <message>
        <source>Auto Dial-up via Message</source>
        <translation>Auto Dial-up via Message</translation>
    </message>
    <message>
        <source>Auto Dial-up via Calling</source>
        <translation>Auto Dial-up via Calling</translation>
    </message>
    <message>
        <source>Remote: Configure PIN</source>
        <translation>Remote: Configure PIN</translation>
    </message>
    <message>
        <source>Clear Log</source>
        <translation>Clear Log</translation>
    </message>
    <message>
        <source>Local Set Auto-Rebuild</source>
        <translation>Local Set Auto-Rebuild</translation>
    </message>
    <message>
        <source>Local Config Hot-Spare Disk</source>
        <translation>Local Configure Hot-Spare Disk</translation>
    </message>
    <message>
        <source>Local Create Array</source>
        <translation>Local Create Array</translation>
    </message>
    <message>
        <source>Local Delete Array</source>
        <translation>Local Delete Array</translation>
    </message>
    <message>
        <source>Local Migrate Array</source>
        <translation>Local Migrate Array</translation>
    </message>
    <message>
        <source>Local Rebuild Array</source>
        <translation>Local Rebuild Array</translation>
    </message>
    <message>
        <source>Local Quick Config</source>
        <translation>Local Quick Configuration</translation>
    </message>
    <message>
        <source>Local Create Virtual Disk</source>
        <translation>Local Create Virtual Disk</translation>
    </message>
    <message>
        <source>Local Delete Virtual Disk</source>
        <translation>Local Delete Virtual Disk</translation>
    </message>
    <message>
        <source>Local Repair Virtual Disk</source>
        <translation>Local Repair Virtual Disk</translation>
    </message>
    <message>
        <source>Local Expand Virtual Disk</source>
        <translation>Local Expand Virtual Disk</translation>
    </message>
    <message>
        <source>Local RAID Adapter Upgrade</source>
        <translation>Local RAID Adapter Upgrade</translation>
    </message>
    <message>
        <source>Remote Set Auto-Rebuild</source>
        <translation>Remote Set Auto-Rebuild</translation>
    </message>
    <message>
        <source>Remote Config Hot-Spare Disk</source>
        <translation>Remote Configure Hot-Spare Disk</translation>
    </message>
    <message>
        <source>Remote Create Array</source>
        <translation>Remote Create Array</translation>
    </message>
    <message>
        <source>Remote Delete Array</source>
        <translation>Remote Delete Array</translation>
    </message>
    <message>
        <source>Remote Migrate Array</source>
        <translation>Remote Migrate Array</translation>
    </message>
    <message>
        <source>Remote Rebuild Array</source>
        <translation>Remote Rebuild Array</translation>
    </message>
    <message>
        <source>Remote Quick Config</source>
        <translation>Remote Quick Configuration</translation>
    </message>
    <message>
        <source>Remote Create Virtual Disk</source>
        <translation>Remote Create Virtual Disk</translation>
    </message>
    <message>
        <source>Remote Delete Virtual Disk</source>
        <translation>Remote Delete Virtual Disk</translation>
    </message>
    <message>
        <source>Remote Repair Virtual Disk</source>
        <translation>Remote Repair Virtual Disk</translation>
    </message>
    <message>
        <source>Remote Expand Virtual Disk</source>
        <translation>Remote Expand Virtual Disk</translation>
    </message>
    <message>
        <source>Remote RAID Adapter Upgrade</source>
        <translation>Remote RAID Adapter Upgrade</translation>
    </message>
    <message>
        <source>Local Operation: Start Capture</source>
        <translation>Local Operation: Start Capture</translation>
    </message>
    <message>
        <source>Local Operation: Stop Capture</source>
        <translation>Local Operation: Stop Capture</translation>
    </message>
    <message>
        <source>Local Operation: Operate Label</source>
        <translation>Local Operation: Operate Label</translation>
    </message>
    <message>
        <source>Remote Operation: Start Capture</source>
        <translation>Remote Operation: Start Capture</translation>
    </message>
    <message>
        <source>Remote Operation: Stop Capture</source>
        <translation>Remote Operation: Stop Capture</translation>
    </message>
    <message>
        <source>Remote Operation: Operate Tag</source>
        <translation>Remote Operation: Operate Tag</translation>
    </message>
    <message>
        <source>Local Operation: Vedio Out Switch</source>
        <translation>Local Operation: Video Output Switch</translation>
    </message>
    <message>
        <source>CABAC Config</source>
        <translation>CABAC Configuration</translation>
    </message>
    <message>
        <source>Local Operation: N+1 Config</source>
        <translation>Local Operation: N+1 Configuration</translation>
    </message>
    <message>
        <source>Remote Operation: N+1 Config</source>
        <translation>Remote Operation: N+1 Configuration</translation>
    </message>
    <message>
        <source>Local Operation: Export IPC Config Files</source>
        <translation>Local Operation: Export IPC Config Files</translation>
    </message>
    <message>
        <source>Local Operation: Import IPC Config Files</source>
        <translation>Local Operation: Import IPC Config Files</translation>
    </message>
    <message>
        <source>Local Operation: IPC Upgrade</source>
        <translation>Local Operation: IPC Upgrade</translation>
    </message>
    <message>
        <source>Remote Operation: Export IPC Config Files</source>
        <translation>Remote Operation: Export IPC Config Files</translation>
    </message>
    <message>
        <source>Remote Operation: Import IPC Config Files</source>
        <translation>Remote Operation: Import IPC Config Files</translation>
    </message>
    <message>
        <source>Remote Operation: IPC Upgrade</source>
        <translation>Remote Operation: IPC Upgrade</translation>
    </message>
    <message>
        <source>Set Multi master</source>
        <translation>Set Multi-Master</translation>
    </message>
    <message>
        <source>Set Multi slave</source>
        <translation>Set Multi-Slave</translation>
    </message>
    <message>
        <source>Cancel multi master</source>
        <translation>Cancel Multi-Master</translation>
    </message>
    <message>
        <source>Cancel multi slave</source>
        <translation>Cancel Multi-Slave</translation>
    </message>
    <message>
        <source>Display LOGO</source>
        <translation>Display Logo</translation>
    </message>
    <message>
        <source>Hide LOGO</source>
        <translation>Hide Logo</translation>
    </message>
    <message>
        <source>Set DEC delay level</source>
        <translation>Set Decoding Delay Level</translation>
    </message>
    <message>
        <source>Set big screen display area</source>
        <translation>Set Big Screen Display Area</translation>
    </message>
    <message>
        <source>Cut vedio source</source>
        <translation>Cut Video Source</translation>
    </message>
    <message>
        <source>Set basemap area</source>
        <translation>Set Base Map Area</translation>
    </message>
    <message>
        <source>Download basemap</source>
        <translation>Download Base Map</translation>
    </message>
    <message>
        <source>Cut basemap</source>
        <translation>Cut Base Map</translation>
    </message>
    <message>
        <source>Control elec enlarge</source>
        <translation>Control Electronic Zoom</translation>
    </message>
    <message>
        <source>Set output resolution</source>
        <translation>Set Output Resolution</translation>
    </message>
    <message>
        <source>Set trancsparency</source>
        <translation>Set Transparency</translation>
    </message>
    <message>
        <source>Set OSD</source>
        <translation>Set OSD</translation>
    </message>
    <message>
        <source>Restore dec status</source>
        <translation>Restore Decoding Status</translation>
    </message>
    <message>
        <source>Modify Input Config</source>
        <translation>Modify Input Configuration</translation>
    </message>
    <message>
        <source>Modify Output Config</source>
        <translation>Modify Output Configuration</translation>
    </message>
    <message>
        <source>Modify Virtual LED Config</source>
        <translation>Modify Virtual LED Configuration</translation>
    </message>
    <message>
        <source>Screen picturepreview</source>
        <translation>Screen Picture Preview</translation>
    </message>
    <message>
        <source>Get Virtual LED</source>
        <translation>Get Virtual LED</translation>
    </message>
    <message>
        <source>Get Layout</source>
        <translation>Get Layout</translation>
    </message>
    <message>
        <source>LayoutControl</source>
        <translation>Layout Control</translation>
    </message>
    <message>
        <source>Get All Valid Windows</source>
        <translation>Get All Valid Windows</translation>
    </message>
    <message>
        <source>Get Single Window Information</source>
        <translation>Get Single Window Information</translation>
    </message>
    <message>
        <source>Control Window</source>
        <translation>Control Window</translation>
    </message>
    <message>
        <source>Get Layout List</source>
        <translation>Get Layout List</translation>
    </message>
    <message>
        <source>Layout Control</source>
        <translation>Layout Control</translation>
    </message>
    <message>
        <source>Set Layout</source>
        <translation>Set Layout</translation>
    </message>
    <message>
        <source>Get Input Signal List</source>
        <translation>Get Input Signal List</translation>
    </message>
    <message>
        <source>Get Plan List</source>
        <translation>Get Plan List</translation>
    </message>
    <message>
        <source>Set Plan</source>
        <translation>Set Plan</translation>
    </message>
    <message>
        <source>Control Plan</source>
        <translation>Control Plan</translation>
    </message>
    <message>
        <source>Control Screen</source>
        <translation>Control Screen</translation>
    </message>
    <message>
        <source>Add Net Siganl</source>
        <translation>Add Network Signal</translation>
    </message>
    <message>
        <source>Set Net Siganl</source>
        <translation>Set Network Signal</translation>
    </message>
    <message>
        <source>Set DecodeBoard Config</source>
        <translation>Set Decoding Board Configuration</translation>
    </message>
    <message>
        <source>Get Decoding Board Parameters</source>
        <translation>Get Decoding Board Parameters</translation>
    </message>
    <message>
        <source>Get Device Information</source>
        <translation>Get Device Information</translation>
    </message>
    <message>
        <source>Update Picture</source>
        <translation>Update Picture</translation>
    </message>
    <message>
        <source>Set User Password</source>
        <translation>Set User Password</translation>
    </message>
    <message>
        <source>Add Scene</source>
        <translation>Add Scene</translation>
    </message>
    <message>
        <source>Delete Scene</source>
        <translation>Delete Scene</translation>
    </message>
    <message>
        <source>Delete Net Siganl</source>
        <translation>Delete Network Signal</translation>
    </message>
    <message>
        <source>Add Plan</source>
        <translation>Add Plan</translation>
    </message>
    <message>
        <source>Delete Plan</source>
        <translation>Delete Plan</translation>
    </message>
    <message>
        <source>Set External Matrix Config</source>
        <translation>Set External Matrix Configuration</translation>
    </message>
    <message>
        <source>Get User Settings</source>
        <translation>Get User Settings</translation>
    </message>
    <message>
        <source>Set User Config</source>
        <translation>Set User Configuration</translation>
    </message>
    <message>
        <source>Get Video Wall Connection</source>
        <translation>Get Video Wall Connection</translation>
    </message>
    <message>
        <source>Configure Display Wall Connection</source>
        <translation>Configure Display Wall Connection</translation>
    </message>
    <message>
        <source>Get Video Wall Scene</source>
        <translation>Get Video Wall Scene</translation>
    </message>
    <message>
        <source>Set Wall Scene Param</source>
        <translation>Set Wall Scene Parameters</translation>
    </message>
    <message>
        <source>Get Current Scene</source>
        <translation>Get Current Scene</translation>
    </message>
    <message>
        <source>Switch Scene</source>
        <translation>Switch Scene</translation>
    </message>
    <message>
        <source>Bring the Video Wall Window to Front</source>
        <translation>Bring the Video Wall Window to Front</translation>
    </message>
    <message>
        <source>Bring the Video Wall Window to Back</source>
        <translation>Bring the Video Wall Window to Back</translation>
    </message>
    <message>
        <source>Local Operation: Delete HDD</source>
        <translation>Local Operation: Delete HDD</translation>
    </message>
    <message>
        <source>Local Operation: Switch Output</source>
        <translation>Local Operation: Switch Output</translation>
    </message>
    <message>
        <source>Local Operation: HDD Detect</source>
        <translation>Local Operation: HDD Detection</translation>
    </message>
    <message>
        <source>Local Operation: Device Type Configuration</source>
        <translation>Local Operation: Device Type Configuration</translation>
    </message>
    <message>
        <source>Remote Operation: Device Type Configuration</source>
        <translation>Remote Operation: Device Type Configuration</translation>
    </message>
    <message>
        <source>Local Operation: Spare Device Configuration</source>
        <translation>Local Operation: Spare Device Configuration</translation>
    </message>
    <message>
        <source>Remote Operation: Spare Device Configuration</source>
        <translation>Remote Operation: Spare Device Configuration</translation>
    </message>
    <message>
        <source>Local Operation: Delete Working Device</source>
        <translation>Local Operation: Delete Working Device</translation>
    </message>
    <message>
        <source>Remote Operation: Delete Working Device</source>
        <translation>Remote Operation: Delete Working Device</translation>
    </message>
    <message>
        <source>Local Operation: Add Working Device</source>
        <translation>Local Operation: Add Working Device</translation>
    </message>
    <message>
        <source>Remote Operation: Add Working Device</source>
        <translation>Remote Operation: Add Working Device</translation>
    </message>
    <message>
        <source>Local: Export Heat Map</source>
        <translation>Local: Export Heat Map</translation>
    </message>
    <message>
        <source>Local: Export Heat Map Flow</source>
        <translation>Local: Export Heat Map Flow</translation>
    </message>
    <message>
        <source>Remote: Send Message</source>
        <translation>Remote: Send Message</translation>
    </message>
    <message>
        <source>Local: Send Message</source>
        <translation>Local: Send Message</translation>
    </message>
    <message>
        <source>Send Alarm Messages</source>
        <translation>Send Alarm Messages</translation>
    </message>
    <message>
        <source>Receive Messages</source>
        <translation>Receive Messages</translation>
    </message>
    <message>
        <source>Local: Search Messages</source>
        <translation>Local: Search Messages</translation>
    </message>
    <message>
        <source>Remote: Search Messages</source>
        <translation>Remote: Search Messages</translation>
    </message>
    <message>
        <source>Local: View Messages</source>
        <translation>Local: View Messages</translation>
    </message>
    <message>
        <source>Remote: View Messages</source>
        <translation>Remote: View Messages</translation>
    </message>
    <message>
        <source>Remote: Enable Wireless Dial-up</source>
        <translation>Remote: Enable Wireless Dial-up</translation>
    </message>
    <message>
        <source>Remote: Disable Wireless Dial-up</source>
        <translation>Remote: Disable Wireless Dial-up</translation>
    </message>
    <message>
        <source>Local: Configure White List</source>
        <translation>Local: Configure White List</translation>
    </message>
    <message>
        <source>Remote: Configure White List</source>
        <translation>Remote: Configure White List</translation>
    </message>
    <message>
        <source>Local: Configure Wireless Dial-up Parameters</source>
        <translation>Local: Configure Wireless Dial-up Parameters</translation>
    </message>
    <message>
        <source>Remote: Configure Wireless Dial-up Parameters</source>
        <translation>Remote: Configure Wireless Dial-up Parameters</translation>
    </message>
    <message>
        <source>Local: Configure Wireless Dial-up Schedule</source>
        <translation>Local: Configure Wireless Dial-up Schedule</translation>
    </message>
    <message>
        <source>Remote: Configure Wireless Dial-up Schedule</source>
        <translation>Remote: Configure Wireless Dial-up Schedule</translation>
    </message>
    <message>
        <source>Platform Operations</source>
        <translation>Platform Operations</translation>
    </message>
    <message>
        <source>Remote Operation: Restore Defaults</source>
        <translation>Remote Operation: Restore Defaults</translation>
    </message>
    <message>
        <source>Local Operation: Restore Defaults</source>
        <translation>Local Operation: Restore Defaults</translation>
    </message>
    <message>
        <source>Set Volumn</source>
        <translation>Set Volume</translation>
    </message>
    <message>
        <source>Set Volumn Intercom</source>
        <translation>Set Intercom Volume</translation>
    </message>
    <message>
        <source>VCA Configuration</source>
        <translation>VCA Configuration</translation>
    </message>
    <message>
        <source>Local Operation: Set Raid Speed</source>
        <translation>Local Operation: Set RAID Speed</translation>
    </message>
    <message>
        <source>Remote Operation: Set Raid Speed</source>
        <translation>Remote Operation: Set RAID Speed</translation>
    </message>
    <message>
        <source>Remote Operation: Create Storage Pool</source>
        <translation>Remote Operation: Create Storage Pool</translation>
    </message>
    <message>
        <source>Remote Operation: Delete Storage Pool</source>
        <translation>Remote Operation: Delete Storage Pool</translation>
    </message>
    <message>
        <source>Remote Operation: Delete Picture(s)</source>
        <translation>Remote Operation: Delete Picture(s)</translation>
    </message>
    <message>
        <source>Remote Operation: Delete Record File</source>
        <translation>Remote Operation: Delete Record File</translation>
    </message>
    <message>
        <source>Remote Operation: Enable Cloud System</source>
        <translation>Remote Operation: Enable Cloud System</translation>
    </message>
    <message>
        <source>Remote Operation: Disable Cloud System</source>
        <translation>Remote Operation: Disable Cloud System</translation>
    </message>
    <message>
        <source>Remote Operation: Set Storage Pool Parameters</source>
        <translation>Remote Operation: Set Storage Pool Parameters</translation>
    </message>
    <message>
        <source>Remote Operation: Set Storage Pool Capacity</source>
        <translation>Remote Operation: Set Storage Pool Capacity</translation>
    </message>
    <message>
        <source>Remote: Configure SIP Server</source>
        <translation>Remote: Configure SIP Server</translation>
    </message>
    <message>
        <source>Local: Configure SIP Server</source>
        <translation>Local: Configure SIP Server</translation>
    </message>
    <message>
        <source>Local: Export Black-white List</source>
        <translation>Local: Export Blacklist/Whitelist</translation>
    </message>
    <message>
        <source>Local: Import Black-white List</source>
        <translation>Local: Import Blacklist/Whitelist</translation>
    </message>
    <message>
        <source>Remote: Export Black-white List</source>
        <translation>Remote: Export Blacklist/Whitelist</translation>
    </message>
    <message>
        <source>Remote: Import Black-white List</source>
        <translation>Remote: Import Blacklist/Whitelist</translation>
    </message>
    <message>
        <source>Local Operation: Activation</source>
        <translation>Local Operation: Activation</translation>
    </message>
    <message>
        <source>Remote Operation: Activation</source>
        <translation>Remote Operation: Activation</translation>
    </message>
    <message>
        <source>Local Operation: Factory Defaults</source>
        <translation>Local Operation: Factory Defaults</translation>
    </message>
    <message>
        <source>Remote Operation: Factory Defaults</source>
        <translation>Remote Operation: Factory Defaults</translation>
    </message>
    <message>
        <source>Decoder Stop Watchdog</source>
        <translation>Decoder Stop Watchdog</translation>
    </message>
    <message>
        <source>Decoder Start Watchdog</source>
        <translation>Decoder Start Watchdog</translation>
    </message>
    <message>
        <source>FD Error</source>
        <translation>FD Error</translation>
    </message>
    <message>
        <source>Net Status Error</source>
        <translation>Network Status Error</translation>
    </message>
    <message>
        <source>Dsp Error</source>
        <translation>DSP Error</translation>
    </message>
    <message>
        <source>Board Temperature Error</source>
        <translation>Board Temperature Error</translation>
    </message>
    <message>
        <source>Link Error</source>
        <translation>Link Error</translation>
    </message>
    <message>
        <source>Video Frame Unstable</source>
        <translation>Video Frame Unstable</translation>
    </message>
    <message>
        <source>Invalid data exceed</source>
        <translation>Too Much Invalid Data</translation>
    </message>
    <message>
        <source>CPU busy</source>
        <translation>CPU Busy</translation>
    </message>
    <message>
        <source>ETher busy</source>
        <translation>Ethernet Busy</translation>
    </message>
    <message>
        <source>PCIE busy</source>
        <translation>PCIe Busy</translation>
    </message>
    <message>
        <source>Config file bad</source>
        <translation>Configuration File Damaged</translation>
    </message>
    <message>
        <source>System file bad</source>
        <translation>System File Damaged</translation>
    </message>
    <message>
        <source>Memery error</source>
        <translation>Memory Error</translation>
    </message>
    <message>
        <source>Log File deleted</source>
        <translation>Log File Deleted</translation>
    </message>
    <message>
        <source>POE Power Exception Information</source>
        <translation>POE Power Exception Information</translation>
    </message>
    <message>
        <source>HDD Information</source>
        <translation>HDD Information</translation>
    </message>
    <message>
        <source>SMART Information</source>
        <translation>SMART Information</translation>
    </message>
    <message>
        <source>Start Recording</source>
        <translation>Start Recording</translation>
    </message>
    <message>
        <source>Stop Recording</source>
        <translation>Stop Recording</translation>
    </message>
    <message>
        <source>Recording Timeout</source>
        <translation>Recording Timeout</translation>
    </message>
    <message>
        <source>Device Connect the front-end(IPC,etc.)</source>
        <translation>Device Connected to Front-end (IPC, etc.)</translation>
    </message>
    <message>
        <source>Device Disconnect the front-end(IPC,etc.)</source>
        <translation>Device Disconnected from Front-end (IPC, etc.)</translation>
    </message>
    <message>
        <source>Network HDD Information</source>
        <translation>Network HDD Information</translation>
    </message>
    <message>
        <source>Raid Information</source>
        <translation>RAID Information</translation>
    </message>
    <message>
        <source>Server Status Information</source>
        <translation>Server Status Information</translation>
    </message>
    <message>
        <source>Start Work Device Backuping</source>
        <translation>Working Device Backup Started</translation>
    </message>
    <message>
        <source>Stop Work Device Backuping</source>
        <translation>Working Device Backup Stopped</translation>
    </message>
    <message>
        <source>Backup Device Information</source>
        <translation>Backup Device Information</translation>
    </message>
    <message>
        <source>Start ANR Recording</source>
        <translation>Start ANR Recording</translation>
    </message>
    <message>
        <source>Stop ANR Recording</source>
        <translation>Stop ANR Recording</translation>
    </message>
    <message>
        <source>IP Camera ANR Record Duration Add</source>
        <translation>IP Camera ANR Recording Duration Added</translation>
    </message>
    <message>
        <source>IP Camera ANR Record Duration Delete</source>
        <translation>IP Camera ANR Recording Duration Deleted</translation>
    </message>
    <message>
        <source>Start Capture</source>
        <translation>Start Capture</translation>
    </message>
    <message>
        <source>Stop Capture</source>
        <translation>Stop Capture</translation>
    </message>
    <message>
        <source>Delete Expired Picture Files</source>
        <translation>Delete Expired Picture Files</translation>
    </message>
    <message>
        <source>Login Server</source>
        <translation>Login Server</translation>
    </message>
    <message>
        <source>Relogin Server</source>
        <translation>Log In to Server Again</translation>
    </message>
    <message>
        <source>Logout Server</source>
        <translation>Log Out of Server</translation>
    </message>
    <message>
        <source>Recording Synchronization Start</source>
        <translation>Recording Synchronization Start</translation>
    </message>
    <message>
        <source>Recording Synchronization Stop</source>
        <translation>Recording Synchronization Stop</translation>
    </message>
    <message>
        <source>Recording Synchronization Completed</source>
        <translation>Recording Synchronization Completed</translation>
    </message>
    <message>
        <source>Recording Synchronization Exception</source>
        <translation>Recording Synchronization Exception</translation>
    </message>
    <message>
        <source>Global Error Information</source>
        <translation>Global Error Information</translation>
    </message>
    <message>
        <source>Buffer State</source>
        <translation>Buffer State</translation>
    </message>
    <message>
        <source>Platform Information</source>
        <translation>Platform Information</translation>
    </message>
    <message>
        <source>Wireless Dial-up Status</source>
        <translation>Wireless Dial-up Status</translation>
    </message>
    <message>
        <source>Unlock Record</source>
        <translation>Unlock Record</translation>
    </message>
    <message>
        <source>Alarm Record</source>
        <translation>Alarm Record</translation>
    </message>
    <message>
        <source>Talk Record</source>
        <translation>Talk Record</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>Exception</source>
        <translation>Exception</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>KEL4.3</source>
        <translation>KEL 4.3</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
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
        <translation>Evidence Colour Legend</translation>
    </message>
    <message>
        <source>EvidenceNormal</source>
        <translation>Evidence (Standard)</translation>
    </message>
    <message>
        <source>Evidence832</source>
        <translation>Evidence (832)</translation>
    </message>
</context>
<context>
    <name>QVideoCutWidget</name>
    <message>
        <source>QVideoCutWidget</source>
        <translation>Clip</translation>
    </message>
    <message>
        <source>Start Time:</source>
        <translation>Start Time:</translation>
    </message>
    <message>
        <source>End Time:</source>
        <translation>End Time:</translation>
    </message>
    <message>
        <source>Clip channel：</source>
        <translation>Clip channel:</translation>
    </message>
    <message>
        <source>Car Number:</source>
        <translation>Car Number:</translation>
    </message>
</context>
<context>
    <name>Quillmere</name>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Exit the KEL4.0 software?</source>
        <translation>Exit the KEL 4.3 software?</translation>
    </message>
</context>
<context>
    <name>SavePathCheck</name>
    <message>
        <source>The directory has no write permissions.</source>
        <translation>The folder cannot be written to.</translation>
    </message>
    <message>
        <source>Save failed, disk free space is less than %1</source>
        <translation>Saving failed: the disk has less than %1 free.</translation>
    </message>
    <message>
        <source>The file path is not exist.</source>
        <translation>The file path does not exist.</translation>
    </message>
    <message>
        <source>Warn</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>SearchBarWidget</name>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Scheduled record</source>
        <translation>Scheduled recording</translation>
    </message>
    <message>
        <source>Motion detection</source>
        <translation>Motion detection</translation>
    </message>
    <message>
        <source>Alarm record</source>
        <translation>Alarm recording</translation>
    </message>
    <message>
        <source>Motion detection| Alarm | CashOut</source>
        <translation>Motion detection | Alarm | Cash out</translation>
    </message>
    <message>
        <source>Motion detection &amp; Alarm | CashIn</source>
        <translation>Motion detection &amp; Alarm | Cash in</translation>
    </message>
    <message>
        <source>Command trigger</source>
        <translation>Command trigger</translation>
    </message>
    <message>
        <source>Manually record</source>
        <translation>Manual recording</translation>
    </message>
    <message>
        <source>Shake record</source>
        <translation>Shake recording</translation>
    </message>
    <message>
        <source>Enviroment record</source>
        <translation>Environment recording</translation>
    </message>
    <message>
        <source>VCA record</source>
        <translation>VCA recording</translation>
    </message>
    <message>
        <source>PIR alarm</source>
        <translation>PIR alarm</translation>
    </message>
    <message>
        <source>Wireless alarm</source>
        <translation>Wireless alarm</translation>
    </message>
    <message>
        <source>Callhelp alarm</source>
        <translation>Call-for-help alarm</translation>
    </message>
    <message>
        <source>All event alarm</source>
        <translation>All event alarms</translation>
    </message>
    <message>
        <source>Intelligent transportation</source>
        <translation>Intelligent transportation</translation>
    </message>
    <message>
        <source>Others</source>
        <translation>Others</translation>
    </message>
    <message>
        <source>degree</source>
        <translation>°</translation>
    </message>
    <message>
        <source>minute</source>
        <translation>′</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Stop the video play?</source>
        <translation>Stop the video playback?</translation>
    </message>
    <message>
        <source>Disk </source>
        <translation>Disk </translation>
    </message>
    <message>
        <source>Please Select Correct Time.</source>
        <translation>Please select a valid time.</translation>
    </message>
    <message>
        <source>TimeRange Less Than 1Day.</source>
        <translation>The time range must be less than one day.</translation>
    </message>
    <message>
        <source>Please select partition(s) or disk(s).</source>
        <translation>Please select partition(s) or disk(s).</translation>
    </message>
    <message>
        <source>Please select file path.</source>
        <translation>Please select a file path.</translation>
    </message>
    <message>
        <source>The path doesn&apos;t exist.</source>
        <translation>The path does not exist.</translation>
    </message>
    <message>
        <source>No permission for reading from the path.</source>
        <translation>No permission to read from the path.</translation>
    </message>
    <message>
        <source>No video found!</source>
        <translation>No video found!</translation>
    </message>
    <message>
        <source>channel</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>SearchBarWidget</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>Rigion</source>
        <translation>Time Span</translation>
    </message>
    <message>
        <source>Mode:</source>
        <translation>Mode:</translation>
    </message>
    <message>
        <source>Partition</source>
        <translation>Partition</translation>
    </message>
    <message>
        <source>Disk</source>
        <translation>Disk</translation>
    </message>
    <message>
        <source>Local</source>
        <translation>Local</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Path:</source>
        <translation>Path:</translation>
    </message>
    <message>
        <source>Select:</source>
        <translation>Select:</translation>
    </message>
    <message>
        <source>SearchTime:</source>
        <translation>Search time:</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Evidence Record</source>
        <translation>Evidence Recording</translation>
    </message>
    <message>
        <source>Evidence Picture</source>
        <translation>Evidence Picture</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>Hint</translation>
    </message>
    <message>
        <source>Please choose the search mode and the corresponding partion(s) or disk(s).If no video found, please try to use another search mode.</source>
        <translation>Please choose the search mode and the corresponding partition(s) or disk(s). If no video is found, please try another search mode.</translation>
    </message>
    <message>
        <source>No data temporarily, please search file.</source>
        <translation>No data yet, please search for files.</translation>
    </message>
    <message>
        <source> (cannot be read)</source>
        <translation> (cannot be read)</translation>
    </message>
    <message>
        <source>This disk cannot be read: %1</source>
        <translation>This disk cannot be read: %1</translation>
    </message>
    <message>
        <source>The batch downloader cannot be started: %1 cannot be written (%2).</source>
        <translation>The batch downloader cannot be started: %1 cannot be written (%2).</translation>
    </message>
</context>
<context>
    <name>SearchThread</name>
    <message>
        <source>DVR Video</source>
        <translation>DVR Video</translation>
    </message>
</context>
<context>
    <name>SettingWidget</name>
    <message>
        <source>Normal Decode</source>
        <translation>Normal Decoding</translation>
    </message>
    <message>
        <source>Four Speed Key Frame</source>
        <translation>Key Frames at 4x Speed</translation>
    </message>
    <message>
        <source>Eight Speed Key Frame</source>
        <translation>Key Frames at 8x Speed</translation>
    </message>
    <message>
        <source>Sixteen Speed Key Frame</source>
        <translation>Key Frames at 16x Speed</translation>
    </message>
    <message>
        <source>km/h</source>
        <translation>km/h</translation>
    </message>
    <message>
        <source>mile/h</source>
        <translation>mph</translation>
    </message>
    <message>
        <source>Select Directory</source>
        <translation>Select Folder</translation>
    </message>
    <message>
        <source>The file path is too long.</source>
        <translation>The file path is too long.</translation>
    </message>
    <message>
        <source>Clip picture at least 512M disk space is need.</source>
        <translation>Snapshots need at least 512 MB of free disk space.</translation>
    </message>
    <message>
        <source>Clip video at least 2G disk space is need.</source>
        <translation>Clips need at least 2 GB of free disk space.</translation>
    </message>
    <message>
        <source>Download video at least 2G disk space is need.</source>
        <translation>Downloads need at least 2 GB of free disk space.</translation>
    </message>
    <message>
        <source>Evidence video at least 2G disk space is need.</source>
        <translation>Evidence videos need at least 2 GB of free disk space.</translation>
    </message>
    <message>
        <source>Evidence picture at least 512M disk space is need.</source>
        <translation>Evidence pictures need at least 512 MB of free disk space.</translation>
    </message>
    <message>
        <source>Invalid Speed.</source>
        <translation>Invalid speed.</translation>
    </message>
    <message>
        <source>Voice File do not exist.</source>
        <translation>The sound file does not exist.</translation>
    </message>
    <message>
        <source>Invalid Channel Num.</source>
        <translation>Invalid number of channels.</translation>
    </message>
    <message>
        <source>Saving failed: %1 cannot be written (%2). The settings stay as they were.</source>
        <translation>Saving failed: %1 cannot be written (%2). The settings stay as they were.</translation>
    </message>
    <message>
        <source>Save successful.</source>
        <translation>Saved.</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Save new settings?</source>
        <translation>Save new settings?</translation>
    </message>
    <message>
        <source>SettingWidget</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Enforce Setting</source>
        <translation>Evidence Settings</translation>
    </message>
    <message>
        <source>Evidence Path:</source>
        <translation>Evidence Path:</translation>
    </message>
    <message>
        <source>Evidence Picture:</source>
        <translation>Evidence Picture:</translation>
    </message>
    <message>
        <source>Playback Setting</source>
        <translation>Playback Settings</translation>
    </message>
    <message>
        <source>Map Type:</source>
        <translation>Map Type:</translation>
    </message>
    <message>
        <source>Open Street Map</source>
        <translation>Open Street Map</translation>
    </message>
    <message>
        <source>Google Map</source>
        <translation>Google Map</translation>
    </message>
    <message>
        <source>Enable Speed Alarm</source>
        <translation>Enable Speed Alarm</translation>
    </message>
    <message>
        <source>Secret Key:</source>
        <translation>Secret Key:</translation>
    </message>
    <message>
        <source>Download Path:</source>
        <translation>Download Path:</translation>
    </message>
    <message>
        <source>Picuure Path:</source>
        <translation>Picture Path:</translation>
    </message>
    <message>
        <source>Clip Path:</source>
        <translation>Clip Path:</translation>
    </message>
    <message>
        <source>Speed Unit:</source>
        <translation>Speed Unit:</translation>
    </message>
    <message>
        <source>Voice(&lt;1s):</source>
        <translation>Sound (&lt;1 s):</translation>
    </message>
    <message>
        <source>Decode Frame Type:</source>
        <translation>Decoding:</translation>
    </message>
    <message>
        <source>Speed Value:</source>
        <translation>Speed Limit:</translation>
    </message>
    <message>
        <source>Map Key:</source>
        <translation>Map Key:</translation>
    </message>
    <message>
        <source>Download Video Type:</source>
        <translation>Download Format:</translation>
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
        <translation>Alarm Settings</translation>
    </message>
    <message>
        <source>TheChannelNumber:</source>
        <translation>Number of Channels:</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Use the default alarm sound</source>
        <translation>Use the default alarm sound</translation>
    </message>
</context>
<context>
    <name>SinglePlaybackWindow</name>
    <message>
        <source>Capture</source>
        <translation>Snapshot</translation>
    </message>
    <message>
        <source>Start Recording</source>
        <translation>Start Recording</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Stop Play</source>
        <translation>Stop Play</translation>
    </message>
    <message>
        <source>Slow Speed</source>
        <translation>Slow</translation>
    </message>
    <message>
        <source>Fast Speed</source>
        <translation>Fast</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Single Frame</translation>
    </message>
    <message>
        <source>Digital Zoom</source>
        <translation>Digital Zoom</translation>
    </message>
    <message>
        <source>DownLoad</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Snapshot</source>
        <translation>Snapshot</translation>
    </message>
    <message>
        <source>Open Sound</source>
        <translation>Sound On</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>Full Screen</translation>
    </message>
    <message>
        <source>Cannot get video from disk.</source>
        <translation>Cannot read the video from the disk.</translation>
    </message>
    <message>
        <source>At least 2G disk space is need.</source>
        <translation>At least 2 GB of free disk space is needed.</translation>
    </message>
    <message>
        <source>start recording.</source>
        <translation>Recording started.</translation>
    </message>
    <message>
        <source>start recording failed.</source>
        <translation>Recording could not be started.</translation>
    </message>
    <message>
        <source>At least 512M disk space is need.</source>
        <translation>At least 512 MB of free disk space is needed.</translation>
    </message>
    <message>
        <source>Snapshot failed.</source>
        <translation>Snapshot failed.</translation>
    </message>
    <message>
        <source>Cannot find file.</source>
        <translation>The file cannot be found.</translation>
    </message>
    <message>
        <source>Please set key.</source>
        <translation>Please set the key.</translation>
    </message>
    <message>
        <source>Error key.</source>
        <translation>Wrong key.</translation>
    </message>
    <message>
        <source>The video has reach the end.</source>
        <translation>The video has reached the end.</translation>
    </message>
    <message>
        <source>RodoroZOD</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>Stop Recording</source>
        <translation>Stop Recording</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Close Sound</source>
        <translation>Sound Off</translation>
    </message>
    <message>
        <source>Exit Full Screen</source>
        <translation>Exit Full Screen</translation>
    </message>
    <message>
        <source>The clip %1 could not be saved.</source>
        <translation>The clip %1 could not be saved.</translation>
    </message>
</context>
<context>
    <name>SpeedAndRotatePlateWidget</name>
    <message>
        <source>VehicleDataAnalysisWidget</source>
        <translation>Vehicle Data</translation>
    </message>
</context>
<context>
    <name>TimeVehicleDataWidget</name>
    <message>
        <source>TimeVehicleDataWidget</source>
        <translation>Vehicle Data</translation>
    </message>
    <message>
        <source>TimeAxis</source>
        <translation>Time Axis</translation>
    </message>
    <message>
        <source>VehicleData</source>
        <translation>Vehicle Data</translation>
    </message>
    <message>
        <source>Gravity</source>
        <translation>G-Sensor</translation>
    </message>
</context>
<context>
    <name>TipDialog</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>sure</source>
        <translation>Are you sure?</translation>
    </message>
</context>
<context>
    <name>TitleBar</name>
    <message>
        <source>TitleBar</source>
        <translation>Title Bar</translation>
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
        <translation>Track Playback</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>Start:</translation>
    </message>
    <message>
        <source>End:</source>
        <translation>End:</translation>
    </message>
    <message>
        <source>Disk Name:</source>
        <translation>Disk Name:</translation>
    </message>
    <message>
        <source>Load Disk</source>
        <translation>Load Disk</translation>
    </message>
    <message>
        <source>Disk </source>
        <translation>Disk </translation>
    </message>
</context>
<context>
    <name>UpgradeTool</name>
    <message>
        <source>Upgrade</source>
        <translation>Upgrade</translation>
    </message>
</context>
<context>
    <name>UpgradeToolClass</name>
    <message>
        <source>UpgradeTool</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>New version found</source>
        <translation>New version found</translation>
    </message>
    <message>
        <source>V1.0.0</source>
        <translation>V1.0.0</translation>
    </message>
    <message>
        <source>No Prompt</source>
        <translation>Do not ask again</translation>
    </message>
</context>
<context>
    <name>VehicleDataAnalysisWidget</name>
    <message>
        <source>VehicleDataAnalysisWidget</source>
        <translation>Vehicle Data</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>Signal</translation>
    </message>
    <message>
        <source>SatellitesLocateMode</source>
        <translation>Positioning Mode</translation>
    </message>
    <message>
        <source>SatelliteCount:</source>
        <translation>Satellites:</translation>
    </message>
    <message>
        <source>00</source>
        <translation>00</translation>
    </message>
    <message>
        <source>long:</source>
        <translation>Long:</translation>
    </message>
    <message>
        <source>000 00 00 00 N</source>
        <translation>000 00 00 00 N</translation>
    </message>
    <message>
        <source>lat:</source>
        <translation>Lat:</translation>
    </message>
    <message>
        <source>000 00 00 00</source>
        <translation>000 00 00 00</translation>
    </message>
    <message>
        <source>LeftLightToolTip</source>
        <translation>Left Turn Signal</translation>
    </message>
    <message>
        <source>BrakeLightToolTip</source>
        <translation>Brake Light</translation>
    </message>
    <message>
        <source>ParkingLightToolTip</source>
        <translation>Parking Light</translation>
    </message>
    <message>
        <source>RightLightToolTip</source>
        <translation>Right Turn Signal</translation>
    </message>
    <message>
        <source>ReserverLightToolTip</source>
        <translation>Reversing Light</translation>
    </message>
    <message>
        <source>SpeedLblToolTip</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>AlarmLightToolTip</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>ThermoToolTip</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>--C/--F</source>
        <translation>--C/--F</translation>
    </message>
    <message>
        <source>SpeedMeterToolTip</source>
        <translation>Speedometer</translation>
    </message>
    <message>
        <source>Left/Right</source>
        <translation>Left/Right</translation>
    </message>
    <message>
        <source>LeftRightGForceToolTip</source>
        <translation>Left/Right G-Force</translation>
    </message>
    <message>
        <source>Front/Rear</source>
        <translation>Front/Rear</translation>
    </message>
    <message>
        <source>FrontRearGForceToolTip</source>
        <translation>Front/Rear G-Force</translation>
    </message>
    <message>
        <source>Up/Down</source>
        <translation>Up/Down</translation>
    </message>
    <message>
        <source>UpDownGForceToolTip</source>
        <translation>Up/Down G-Force</translation>
    </message>
    <message>
        <source>CompassToolTip</source>
        <translation>Compass</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <source>The alarm sound %1 cannot be played: %2</source>
        <translation>The alarm sound %1 cannot be played: %2</translation>
    </message>
    <message>
        <source>%1 KPH</source>
        <translation>%1 KPH</translation>
    </message>
    <message>
        <source>%1 MPH</source>
        <translation>%1 MPH</translation>
    </message>
</context>
<context>
    <name>VehiclePlateWidget</name>
    <message>
        <source>VehiclePlateWidget</source>
        <translation>Vehicle State</translation>
    </message>
</context>
<context>
    <name>VideoColorTipWidget</name>
    <message>
        <source>OverSpeed</source>
        <translation>Speeding</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Reversing</translation>
    </message>
    <message>
        <source>In The Way</source>
        <translation>Blocking the Way</translation>
    </message>
    <message>
        <source>Turn Round</source>
        <translation>U-Turn</translation>
    </message>
    <message>
        <source>Park</source>
        <translation>Parking</translation>
    </message>
    <message>
        <source>Change Lane</source>
        <translation>Lane Change</translation>
    </message>
    <message>
        <source>Retrograde</source>
        <translation>Wrong-Way Driving</translation>
    </message>
    <message>
        <source>Riding Pressure Marking</source>
        <translation>Driving on Lane Markings</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>Violation/Occupation/LaneChange/PressLine</source>
        <translation>Violation/Occupation/Lane Change/Line Pressing</translation>
    </message>
    <message>
        <source>Overtaking/Reverse/TurnOff</source>
        <translation>Overtaking/Reversing/Turning</translation>
    </message>
    <message>
        <source>Crossroads/Sidewalks</source>
        <translation>Crossroads/Sidewalks</translation>
    </message>
    <message>
        <source>CarDistance/LowSpeedDriving/HighSpeedRoad</source>
        <translation>Following Distance/Low Speed/Expressway</translation>
    </message>
    <message>
        <source>WarningSigns</source>
        <translation>Warning Signs</translation>
    </message>
    <message>
        <source>LicensePlate/SeatBelt</source>
        <translation>Licence Plate/Seat Belt</translation>
    </message>
</context>
<context>
    <name>VideoCutWidget</name>
    <message>
        <source>Selected Window</source>
        <translation>Selected Window</translation>
    </message>
    <message>
        <source>All Windows</source>
        <translation>All Windows</translation>
    </message>
    <message>
        <source>Clip</source>
        <translation>Clip</translation>
    </message>
    <message>
        <source>the start time should be earlier than end time.</source>
        <translation>the start time must be earlier than the end time.</translation>
    </message>
    <message>
        <source>Car Number is invalid.</source>
        <translation>The car number is invalid.</translation>
    </message>
    <message>
        <source>At least 2G disk space is need.</source>
        <translation>At least 2 GB of free disk space is needed.</translation>
    </message>
    <message>
        <source>Clipping path can not be equal to loading path.</source>
        <translation>The clip folder must differ from the folder the video is loaded from.</translation>
    </message>
    <message>
        <source>No file to download.</source>
        <translation>No file to download.</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>Downloading</translation>
    </message>
    <message>
        <source>Download Completed</source>
        <translation>Download Completed</translation>
    </message>
    <message>
        <source>Download Exception</source>
        <translation>Download Failed</translation>
    </message>
    <message>
        <source>DownLoad Exception.</source>
        <translation>Download failed.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Disk space is not enough. At least 2G disk space is need.</source>
        <translation>Not enough disk space. At least 2 GB of free disk space is needed.</translation>
    </message>
    <message>
        <source>Clipping, please wait or stop.</source>
        <translation>Clipping, please wait or stop the clip.</translation>
    </message>
    <message>
        <source>Download Incomplete</source>
        <translation>Download Incomplete</translation>
    </message>
    <message>
        <source>Car Number can not be empty.</source>
        <translation>The car number must not be empty.</translation>
    </message>
</context>
<context>
    <name>VideoTimeSliderWidget</name>
    <message>
        <source>VideoTimeSliderWidget</source>
        <translation>Time Axis</translation>
    </message>
    <message>
        <source>window01</source>
        <translation>Window 01</translation>
    </message>
    <message>
        <source>window02</source>
        <translation>Window 02</translation>
    </message>
    <message>
        <source>window03</source>
        <translation>Window 03</translation>
    </message>
    <message>
        <source>window04</source>
        <translation>Window 04</translation>
    </message>
    <message>
        <source>window05</source>
        <translation>Window 05</translation>
    </message>
    <message>
        <source>window06</source>
        <translation>Window 06</translation>
    </message>
    <message>
        <source>window07</source>
        <translation>Window 07</translation>
    </message>
    <message>
        <source>window08</source>
        <translation>Window 08</translation>
    </message>
    <message>
        <source>window09</source>
        <translation>Window 09</translation>
    </message>
    <message>
        <source>window10</source>
        <translation>Window 10</translation>
    </message>
    <message>
        <source>window11</source>
        <translation>Window 11</translation>
    </message>
    <message>
        <source>window12</source>
        <translation>Window 12</translation>
    </message>
    <message>
        <source>window13</source>
        <translation>Window 13</translation>
    </message>
    <message>
        <source>window14</source>
        <translation>Window 14</translation>
    </message>
    <message>
        <source>window15</source>
        <translation>Window 15</translation>
    </message>
    <message>
        <source>window16</source>
        <translation>Window 16</translation>
    </message>
</context>
<context>
    <name>ViewMapWidget</name>
    <message>
        <source>Map</source>
        <translation>Map</translation>
    </message>
    <message>
        <source>ViewMapWidget</source>
        <translation>Map</translation>
    </message>
</context>
<context>
    <name>XYZPlateWidget</name>
    <message>
        <source>XYZPlateWidget</source>
        <translation>G-Sensor</translation>
    </message>
    <message>
        <source>Left/Right</source>
        <translation>Left/Right</translation>
    </message>
</context>
<context>
    <name>ziraz::BaseDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ziraz::RangeDateTimeEdit</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>RunningInstance</name>
    <message>
        <source>%1 is running already with the program folder
%2
Use its window (on the screen or in the task bar). This second start ends.</source>
        <translation>%1 is running already with the program folder
%2
Use its window (on the screen or in the task bar). This second start ends.</translation>
    </message>
</context>
</TS>
