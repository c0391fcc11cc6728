<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AboutWidget</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Prismora 相机软件团队</source>
        <translation>Prismora camera software team</translation>
    </message>
    <message>
        <source>版权所有 © Prismora 相机软件团队，保留所有权利。</source>
        <translation>Copyright © Prismora camera software team. All rights reserved.</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>软件使用说明书</source>
        <translation>User manual</translation>
    </message>
</context>
<context>
    <name>CVideoThread</name>
    <message>
        <source>SDK保存图片成功</source>
        <translation>Picture saved</translation>
    </message>
</context>
<context>
    <name>CameraListWidget</name>
    <message>
        <source>请选择设备</source>
        <translation>Select a device</translation>
    </message>
    <message>
        <source>双击表格，即可对选择的相机进行打开！</source>
        <translation>Double-click a row to open that camera.</translation>
    </message>
    <message>
        <source>重新扫描</source>
        <translation>Rescan</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>接口类型</source>
        <translation>Interface</translation>
    </message>
    <message>
        <source>sensor版本</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>设备版本</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>已打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>空闲</source>
        <translation>Idle</translation>
    </message>
</context>
<context>
    <name>CameraThread</name>
    <message>
        <source>导航窗口</source>
        <translation>Navigation</translation>
    </message>
    <message>
        <source>全屏/窗口</source>
        <translation>Full screen/Window</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>拍照</source>
        <translation>Take a picture</translation>
    </message>
    <message>
        <source>录像</source>
        <translation>Record video</translation>
    </message>
    <message>
        <source>连续抓图</source>
        <translation>Continuous capture</translation>
    </message>
    <message>
        <source>播放/暂停</source>
        <translation>Play/Pause</translation>
    </message>
    <message>
        <source>自适应</source>
        <translation>Fit to window</translation>
    </message>
    <message>
        <source>原比例</source>
        <translation>Original size</translation>
    </message>
    <message>
        <source>直方图</source>
        <translation>Histogram</translation>
    </message>
    <message>
        <source>缩放:</source>
        <translation>Zoom:</translation>
    </message>
    <message>
        <source>相机已打开，不能重复打开</source>
        <translation>The camera is already open and cannot be opened again</translation>
    </message>
    <message>
        <source>打开相机失败, 错误码:%1</source>
        <translation>Failed to open the camera, error code: %1</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>打开失败,该窗口存在已被打开的相机</source>
        <translation>Open failed: this window already shows an open camera</translation>
    </message>
    <message>
        <source>分辨率: %1x%2 | 获取帧率: %3 | 显示帧率: %4 | 图像数：%5 | 缩放比例：%6%</source>
        <translation>Resolution: %1x%2 | Capture rate: %3 | Display rate: %4 | Frames: %5 | Zoom: %6%</translation>
    </message>
    <message>
        <source>相机已进入暂停，不再接收来自相机的图像数据</source>
        <translation>The camera is paused and no longer receives image data</translation>
    </message>
    <message>
        <source>SDK保存图片成功</source>
        <translation>Picture saved</translation>
    </message>
    <message>
        <source>图片未保存, 错误码:%1</source>
        <translation>Picture not saved, error code: %1</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Select a folder</translation>
    </message>
    <message>
        <source>相机帧率低于1帧/秒, 无法开始录像</source>
        <translation>Camera frame rate below 1 frame/s, recording not started</translation>
    </message>
    <message>
        <source>自定义帧率为0, 无法开始录像</source>
        <translation>Custom frame rate is 0, recording not started</translation>
    </message>
    <message>
        <source>未设置录像文件夹或命名规则, 无法开始录像</source>
        <translation>No recording folder or naming rule set, recording not started</translation>
    </message>
    <message>
        <source>无法开始录像: 没有写入权限: %1</source>
        <translation>Cannot start recording: no permission to write to %1</translation>
    </message>
    <message>
        <source>无法开始录像: 文件夹不存在: %1</source>
        <translation>Cannot start recording: folder does not exist: %1</translation>
    </message>
    <message>
        <source>无法开始录像: 磁盘空间不足: %1</source>
        <translation>Cannot start recording: disk full: %1</translation>
    </message>
    <message>
        <source>无法开始录像: %1 (%2)</source>
        <translation>Cannot start recording: %1 (%2)</translation>
    </message>
    <message>
        <source>正在录制中...</source>
        <translation>Recording...</translation>
    </message>
    <message>
        <source>图像尺寸已变为 %1, 录像跳过这些帧</source>
        <translation>Image size changed to %1, the recording skips these frames</translation>
    </message>
    <message>
        <source>录像已停止: 磁盘空间不足, 已录制的内容保存在 %1</source>
        <translation>Recording stopped: disk full, what was recorded is kept in %1</translation>
    </message>
    <message>
        <source>录像已停止: 录像文件夹已不存在: %1</source>
        <translation>Recording stopped: the recording folder no longer exists: %1</translation>
    </message>
    <message>
        <source>录像已停止: 没有写入权限: %1</source>
        <translation>Recording stopped: no permission to write to %1</translation>
    </message>
    <message>
        <source>录像已停止: 写入文件失败 (%1): %2</source>
        <translation>Recording stopped: writing the file failed (%1): %2</translation>
    </message>
    <message>
        <source>连续抓图未开始: 无法创建文件夹 %1</source>
        <translation>Continuous capture not started: cannot create folder %1</translation>
    </message>
    <message>
        <source>连续抓图未开始: 文件夹 %1 不可写</source>
        <translation>Continuous capture not started: folder %1 is not writable</translation>
    </message>
    <message>
        <source>相机已进入连续抓图状态</source>
        <translation>Continuous capture is running</translation>
    </message>
    <message>
        <source>%1  已采集图片:%2</source>
        <translation>%1  Pictures taken: %2</translation>
    </message>
    <message>
        <source>连续抓图已停止: 图片无法保存到 %1, 错误码:%2</source>
        <translation>Continuous capture stopped: cannot save pictures in %1, error code: %2</translation>
    </message>
    <message>
        <source>相机已断开连接，正在等待相机重新接入</source>
        <translation>Camera disconnected, waiting for it to be plugged in again</translation>
    </message>
    <message>
        <source>相机已重新连接</source>
        <translation>Camera reconnected</translation>
    </message>
    <message>
        <source>丢失帧数：%1</source>
        <translation>Lost frames: %1</translation>
    </message>
    <message>
        <source>连续抓图: 写入速度跟不上, 已丢弃 %1 张图片</source>
        <translation>Continuous capture: the disk cannot keep up, %1 pictures dropped</translation>
    </message>
    <message>
        <source>录像 %1 | 已写入 %2 帧 | 丢弃 %3 帧</source>
        <translation>Recording %1 | %2 frames written | %3 frames dropped</translation>
    </message>
    <message>
        <source>录像已保存: %1 (%2 帧, 丢弃 %3 帧)</source>
        <translation>Recording saved: %1 (%2 frames, %3 frames dropped)</translation>
    </message>
    <message>
        <source>录像结束时出错 (%1), 已写入 %2 帧: %3</source>
        <translation>Error while finishing the recording (%1), %2 frames written: %3</translation>
    </message>
    <message>
        <source>%1 (已写入 %2 帧)</source>
        <translation>%1 (%2 frames written)</translation>
    </message>
    <message>
        <source>连续抓图未开始: %1</source>
        <translation>Continuous capture not started: %1</translation>
    </message>
    <message>
        <source>图片未保存: %1</source>
        <translation>Picture not saved: %1</translation>
    </message>
    <message>
        <source>无法开始录像: %1</source>
        <translation>Cannot start recording: %1</translation>
    </message>
    <message>
        <source>相机已断开, 本相机的录像已停止 (已写入 %1 帧)</source>
        <translation>Camera disconnected; its recording has stopped (%1 frames written)</translation>
    </message>
    <message>
        <source>已达到设定的录制长度. %1</source>
        <translation>The set recording length is reached. %1</translation>
    </message>
    <message>
        <source>测量与对焦工具</source>
        <translation>Measurement and focus tools</translation>
    </message>
    <message>
        <source>相机属性</source>
        <translation>Camera Features</translation>
    </message>
    <message>
        <source>帧 收到 %1 丢失 %2 不完整 %3 · 包 缺失 %4 重发 %5 · %6 MB/s · 缓冲不足 %7</source>
        <translation>Frames received %1 lost %2 incomplete %3 · packets missing %4 resent %5 · %6 MB/s · buffer underruns %7</translation>
    </message>
    <message>
        <source> (暂停时跳过 %1)</source>
        <translation> (skipped while paused %1)</translation>
    </message>
    <message>
        <source>GigE 图像经普通 UDP 套接字接收 (程序没有 CAP_NET_RAW 权限, 不能使用包套接字), CPU 占用更高. 解决: sudo setcap cap_net_raw+ep %1</source>
        <translation>GigE images arrive through an ordinary UDP socket (the program lacks the CAP_NET_RAW capability and cannot use a packet socket), which costs more CPU. Fix: sudo setcap cap_net_raw+ep %1</translation>
    </message>
    <message>
        <source>系统的套接字接收缓冲区上限 %1 KB 小于一帧图像 %2 KB, 计算机繁忙时会丢包. 解决: sudo sysctl -w net.core.rmem_max=33554432 net.core.rmem_default=33554432</source>
        <translation>The system&apos;s socket receive buffer limit of %1 KB is smaller than one frame (%2 KB), so packets are lost whenever the PC is busy. Fix: sudo sysctl -w net.core.rmem_max=33554432 net.core.rmem_default=33554432</translation>
    </message>
</context>
<context>
    <name>ConfigWidget</name>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>抓图</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>录像</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>快捷键</source>
        <translation>Hotkeys</translation>
    </message>
    <message>
        <source>路径设置</source>
        <translation>Save location</translation>
    </message>
    <message>
        <source>自动存储：</source>
        <translation>Save automatically:</translation>
    </message>
    <message>
        <source>保存路径：</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <source>高级设置</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>图像格式：</source>
        <translation>Image format:</translation>
    </message>
    <message>
        <source>文件命名规则：</source>
        <translation>File names:</translation>
    </message>
    <message>
        <source>时间日期</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>递增索引</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>连续抓图模式：</source>
        <translation>Continuous capture:</translation>
    </message>
    <message>
        <source>按数目抓取</source>
        <translation>By frame count</translation>
    </message>
    <message>
        <source>按时间抓取</source>
        <translation>By time</translation>
    </message>
    <message>
        <source>每</source>
        <translation>Every</translation>
    </message>
    <message>
        <source>张抓取一张</source>
        <translation>frames, take one picture</translation>
    </message>
    <message>
        <source>抓取</source>
        <translation>Stop after</translation>
    </message>
    <message>
        <source>张停止抓图</source>
        <translation>pictures</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>分</source>
        <translation>min</translation>
    </message>
    <message>
        <source>时</source>
        <translation>h</translation>
    </message>
    <message>
        <source>重置</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>视频格式：</source>
        <translation>Video format:</translation>
    </message>
    <message>
        <source>视频品质：</source>
        <translation>Video quality:</translation>
    </message>
    <message>
        <source>普通</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>较好</source>
        <translation>Better</translation>
    </message>
    <message>
        <source>最佳</source>
        <translation>Best</translation>
    </message>
    <message>
        <source>回放速度：</source>
        <translation>Playback speed:</translation>
    </message>
    <message>
        <source>原始帧率</source>
        <translation>Camera rate</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>桢/秒</source>
        <translation>fps</translation>
    </message>
    <message>
        <source>录像命名规则：</source>
        <translation>Video file names:</translation>
    </message>
    <message>
        <source>日期时间</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>自适应：</source>
        <translation>Fit to window:</translation>
    </message>
    <message>
        <source>原比例:</source>
        <translation>Original size:</translation>
    </message>
    <message>
        <source>放大：</source>
        <translation>Zoom in:</translation>
    </message>
    <message>
        <source>缩小：</source>
        <translation>Zoom out:</translation>
    </message>
    <message>
        <source>录像：</source>
        <translation>Record:</translation>
    </message>
    <message>
        <source>拍照：</source>
        <translation>Take picture:</translation>
    </message>
    <message>
        <source>播放/暂停：</source>
        <translation>Play/pause:</translation>
    </message>
    <message>
        <source>全屏/窗口化:</source>
        <translation>Full screen/window:</translation>
    </message>
    <message>
        <source>*与已有快捷键冲突</source>
        <translation>*Conflicts with another hotkey</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Select a folder</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>重置参数成功</source>
        <translation>Values reset</translation>
    </message>
    <message>
        <source>自定义回放帧率: %1 到 %2 帧/秒</source>
        <translation>Custom playback rate: %1 to %2 frames/s</translation>
    </message>
    <message>
        <source>抓取一张</source>
        <translation>take one picture</translation>
    </message>
    <message>
        <source>停止抓图</source>
        <translation>of capture</translation>
    </message>
    <message>
        <source>设置</source>
        <comment>group of the hotkey fields</comment>
        <translation>Key combinations</translation>
    </message>
    <message>
        <source>快捷键与已有快捷键冲突，设置未保存。请修改快捷键后再按确定。</source>
        <translation>Two hotkeys are the same, nothing was saved. Change the hotkeys, then press OK again.</translation>
    </message>
    <message>
        <source>推荐 MP4 (默认): 程序崩溃或被强行结束时, 只有 MP4 录像能完整保留; AVI 录像会缺少时长和索引。</source>
        <translation>MP4 (the default) is recommended: if the program crashes or is killed, only MP4 recordings are kept complete; AVI recordings lose their duration and index.</translation>
    </message>
    <message>
        <source>图像序列</source>
        <translation>Image sequence</translation>
    </message>
    <message>
        <source>帧信息：</source>
        <translation>Frame info:</translation>
    </message>
    <message>
        <source>保存帧信息</source>
        <translation>Save frame info</translation>
    </message>
    <message>
        <source>每帧一行 CSV: 相机帧号、时间戳、曝光、增益; 图像序列总是保存</source>
        <translation>One CSV line per frame: camera frame number, time stamps, exposure, gain; always saved with image sequences</translation>
    </message>
    <message>
        <source>定长录制：</source>
        <translation>Fixed length:</translation>
    </message>
    <message>
        <source>录制</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>帧后停止</source>
        <translation>frames, then stop</translation>
    </message>
    <message>
        <source>秒后停止</source>
        <translation>seconds, then stop</translation>
    </message>
    <message>
        <source>预录：</source>
        <translation>Pre-trigger:</translation>
    </message>
    <message>
        <source>关闭 (内存上限 %1 MB)</source>
        <translation>Off (memory limit %1 MB)</translation>
    </message>
    <message>
        <source>内存上限 %1 MB; 打开相机后显示所需内存</source>
        <translation>Memory limit %1 MB; the memory needed shows once a camera is open</translation>
    </message>
    <message>
        <source>约 %1 MB (%2×%3, %4 帧/秒), 上限 %5 MB</source>
        <translation>About %1 MB (%2×%3, %4 fps), limit %5 MB</translation>
    </message>
    <message>
        <source>预录 %1 秒需要约 %2 MB 内存, 超过上限 %3 MB, 设置未保存。请减少预录秒数。</source>
        <translation>A pre-trigger of %1 s needs about %2 MB of memory, more than the limit of %3 MB; the settings were not saved. Please choose fewer seconds.</translation>
    </message>
    <message>
        <source>保存相机位深 (16 位)</source>
        <translation>Keep camera bit depth (16-bit)</translation>
    </message>
    <message>
        <source>10、12、16 位黑白相机的图片按相机的位深保存为 16 位 PNG 或 TIFF, 不含伽马、对比度、查找表、锐化和十字线; 其他相机和 BMP、JPG 保存显示的 8 位图像</source>
        <translation>Pictures of 10, 12 and 16-bit mono cameras are saved with the camera&apos;s bit depth as 16-bit PNG or TIFF, without gamma, contrast, lookup table, sharpening and crosshairs; other cameras, and BMP and JPG, save the 8-bit image shown</translation>
    </message>
</context>
<context>
    <name>CustomWindowSettingWidget</name>
    <message>
        <source>自定义画面分割</source>
        <translation>Custom window layout</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>画面分割</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>合并</source>
        <translation>Merge</translation>
    </message>
    <message>
        <source>分割</source>
        <translation>Split</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>画面分割名称</source>
        <translation>Layout name</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>创建失败，请检查名称是否重复或者为空</source>
        <translation>Creation failed. Please check whether the name is already used or empty.</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>FeatureBrowser</name>
    <message>
        <source>保存相机属性</source>
        <translation>Save Camera Features</translation>
    </message>
    <message>
        <source>相机属性文件 (*.txt)</source>
        <translation>Camera feature files (*.txt)</translation>
    </message>
    <message>
        <source>载入相机属性</source>
        <translation>Load Camera Features</translation>
    </message>
    <message>
        <source>相机属性文件 (*.txt);;所有文件 (*)</source>
        <translation>Camera feature files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>相机属性 - %1</source>
        <translation>Camera Features - %1</translation>
    </message>
    <message>
        <source>搜索属性</source>
        <translation>Search features</translation>
    </message>
    <message>
        <source>级别:</source>
        <translation>Level:</translation>
    </message>
    <message>
        <source>初级</source>
        <translation>Beginner</translation>
    </message>
    <message>
        <source>专家</source>
        <translation>Expert</translation>
    </message>
    <message>
        <source>大师</source>
        <translation>Guru</translation>
    </message>
    <message>
        <source>保存属性...</source>
        <translation>Save Features...</translation>
    </message>
    <message>
        <source>载入属性...</source>
        <translation>Load Features...</translation>
    </message>
    <message>
        <source>相机已关闭。</source>
        <translation>The camera is closed.</translation>
    </message>
    <message>
        <source>相机已断开，属性暂不可用。</source>
        <translation>The camera is disconnected; its features are not available for now.</translation>
    </message>
    <message>
        <source>%1 个属性</source>
        <translation>%1 features</translation>
    </message>
    <message>
        <source>%1 未被接受：%2。相机现在的值：%3</source>
        <translation>%1 was refused: %2. The camera now holds: %3</translation>
    </message>
    <message>
        <source>%1 已写入。</source>
        <translation>%1 written.</translation>
    </message>
    <message>
        <source>错误码 %1</source>
        <translation>error code %1</translation>
    </message>
    <message>
        <source>正在保存...</source>
        <translation>Saving...</translation>
    </message>
    <message>
        <source>正在载入...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>相机属性已保存到 %1</source>
        <translation>Camera features saved to %1</translation>
    </message>
    <message>
        <source>相机属性未能保存到 %1：%2</source>
        <translation>Camera features could not be saved to %1: %2</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>%1 不是相机属性文件（没有型号行）：未做任何更改。</source>
        <translation>%1 is no camera feature file (it has no model line): nothing was changed.</translation>
    </message>
    <message>
        <source>文件属于型号 %1，此相机是 %2：未做任何更改。</source>
        <translation>The file belongs to model %1, this camera is %2: nothing was changed.</translation>
    </message>
    <message>
        <source>已载入 %1：应用 %2 项，拒绝 %3 项。</source>
        <translation>Loaded %1: %2 applied, %3 refused.</translation>
    </message>
    <message>
        <source>第 %1 行不是“名称=值”</source>
        <translation>Line %1 is no &quot;name=value&quot;</translation>
    </message>
    <message>
        <source>第 %1 行 %2=%3：%4</source>
        <translation>Line %1 %2=%3: %4</translation>
    </message>
    <message>
        <source>执行</source>
        <translation>Execute</translation>
    </message>
</context>
<context>
    <name>FeatureTreeModel</name>
    <message>
        <source>范围 %1 .. %2</source>
        <translation>Range %1 .. %2</translation>
    </message>
    <message>
        <source>，步长 %1</source>
        <translation>, step %1</translation>
    </message>
    <message>
        <source>只读</source>
        <translation>Read-only</translation>
    </message>
    <message>
        <source>现在不可用</source>
        <translation>Not available now</translation>
    </message>
    <message>
        <source>执行</source>
        <translation>Execute</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>值</source>
        <translation>Value</translation>
    </message>
</context>
<context>
    <name>MeasureTools</name>
    <message>
        <source>像素读数</source>
        <translation>Pixel read-out</translation>
    </message>
    <message>
        <source>区域统计</source>
        <translation>Region statistics</translation>
    </message>
    <message>
        <source>线轮廓</source>
        <translation>Line profile</translation>
    </message>
    <message>
        <source>过曝/欠曝标记</source>
        <translation>Clipping marks</translation>
    </message>
    <message>
        <source>对焦评分</source>
        <translation>Focus score</translation>
    </message>
    <message>
        <source>峰值对焦</source>
        <translation>Focus peaking</translation>
    </message>
    <message>
        <source>重置对焦峰值</source>
        <translation>Reset focus peak</translation>
    </message>
    <message>
        <source>清除区域和线</source>
        <translation>Clear region and line</translation>
    </message>
    <message>
        <source>测量</source>
        <translation>Measure</translation>
    </message>
    <message>
        <source>像素: 光标不在图像上</source>
        <translation>Pixel: pointer not on the image</translation>
    </message>
    <message>
        <source>像素 (%1, %2)  灰度 %3</source>
        <translation>Pixel (%1, %2)  grey %3</translation>
    </message>
    <message>
        <source>像素 (%1, %2)  R %3  G %4  B %5</source>
        <translation>Pixel (%1, %2)  R %3  G %4  B %5</translation>
    </message>
    <message>
        <source>区域统计: 在图像上拖出矩形</source>
        <translation>Region statistics: drag a rectangle on the image</translation>
    </message>
    <message>
        <source>区域 %1×%2 起点 (%3, %4): 等待图像</source>
        <translation>Region %1×%2 at (%3, %4): waiting for a frame</translation>
    </message>
    <message>
        <source>区域 %1×%2 起点 (%3, %4)  像素数 %5</source>
        <translation>Region %1×%2 at (%3, %4)  pixels %5</translation>
    </message>
    <message>
        <source>%1  均值 %2  标准差 %3  最小 %4  最大 %5</source>
        <translation>%1  mean %2  std dev %3  min %4  max %5</translation>
    </message>
    <message>
        <source>灰度</source>
        <translation>Grey</translation>
    </message>
    <message>
        <source>清晰度: 等待图像</source>
        <translation>Sharpness: waiting for a frame</translation>
    </message>
    <message>
        <source>清晰度（区域）: %1  峰值: %2</source>
        <translation>Sharpness (region): %1  peak: %2</translation>
    </message>
    <message>
        <source>清晰度（视图）: %1  峰值: %2</source>
        <translation>Sharpness (view): %1  peak: %2</translation>
    </message>
    <message>
        <source>过曝/欠曝: 等待图像</source>
        <translation>Clipping: waiting for a frame</translation>
    </message>
    <message>
        <source>过曝 %1%  欠曝 %2%</source>
        <translation>Clipped high %1%  low %2%</translation>
    </message>
    <message>
        <source>线轮廓: 在图像上拖出直线</source>
        <translation>Line profile: drag a line on the image</translation>
    </message>
    <message>
        <source>线轮廓 (%1, %2) → (%3, %4)  %5 点</source>
        <translation>Line profile (%1, %2) → (%3, %4)  %5 points</translation>
    </message>
    <message>
        <source>像素 (%1, %2)  灰度 %3  原始值 %4 (%5 位)</source>
        <translation>Pixel (%1, %2)  grey %3  raw %4 (%5-bit)</translation>
    </message>
</context>
<context>
    <name>RoiWidget</name>
    <message>
        <source>ROI设置</source>
        <translation>Region of interest</translation>
    </message>
    <message>
        <source>刷新图片</source>
        <translation>Refresh image</translation>
    </message>
    <message>
        <source>从预设分辨率加载：</source>
        <translation>Load from preset resolution:</translation>
    </message>
    <message>
        <source>自定义区域</source>
        <translation>Custom region</translation>
    </message>
    <message>
        <source>水平偏移</source>
        <translation>X offset</translation>
    </message>
    <message>
        <source>垂直偏移</source>
        <translation>Y offset</translation>
    </message>
    <message>
        <source>图像宽度</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>图像高度</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>居中</source>
        <translation>Center</translation>
    </message>
    <message>
        <source>右上</source>
        <translation>Top right</translation>
    </message>
    <message>
        <source>左上</source>
        <translation>Top left</translation>
    </message>
    <message>
        <source>右下</source>
        <translation>Bottom right</translation>
    </message>
    <message>
        <source>左下</source>
        <translation>Bottom left</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>最大输入视场</source>
        <translation>Largest region</translation>
    </message>
    <message>
        <source>宽：</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>高：</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>最小输入视场</source>
        <translation>Smallest region</translation>
    </message>
    <message>
        <source>宽</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>高</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>设置失败，请重新设置</source>
        <translation>Setting failed, please try again</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>获取分辨率失败，请重新获取</source>
        <translation>Failed to get the resolutions, please try again</translation>
    </message>
    <message>
        <source>获取失败，请重新获取</source>
        <translation>Failed to get an image, please try again</translation>
    </message>
    <message>
        <source>设置成功</source>
        <translation>Region applied</translation>
    </message>
</context>
<context>
    <name>SaveFolder</name>
    <message>
        <source>未设置保存文件夹</source>
        <translation>No save folder is set</translation>
    </message>
    <message>
        <source>保存文件夹 %1 含有控制字符 (如 NUL), 无法使用</source>
        <translation>The save folder %1 contains control characters (such as NUL) and cannot be used</translation>
    </message>
    <message>
        <source>保存文件夹 %1 不是绝对路径, 请填写完整路径</source>
        <translation>The save folder %1 is not an absolute path; please enter the full path</translation>
    </message>
    <message>
        <source>%1 不是文件夹</source>
        <translation>%1 is not a folder</translation>
    </message>
    <message>
        <source>无法使用保存文件夹 %1: %2 不是文件夹</source>
        <translation>Cannot use the save folder %1: %2 is not a folder</translation>
    </message>
    <message>
        <source>保存文件夹 %1 不存在</source>
        <translation>The save folder %1 does not exist</translation>
    </message>
    <message>
        <source>保存文件夹 %1 不可写</source>
        <translation>The save folder %1 is not writable</translation>
    </message>
    <message>
        <source>保存文件夹 %1 不存在, 是否创建?</source>
        <translation>The save folder %1 does not exist. Create it?</translation>
    </message>
    <message>
        <source>无法创建保存文件夹 %1</source>
        <translation>Cannot create the save folder %1</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>创建</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>VexoCam</name>
    <message>
        <source>Prismora</source>
        <translation>Prismora</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>展开</source>
        <translation>Expand</translation>
    </message>
    <message>
        <source>收起</source>
        <translation>Collapse</translation>
    </message>
    <message>
        <source>设备列表</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>保存参数</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>导出参数到文件</source>
        <translation>Export to file</translation>
    </message>
    <message>
        <source>加载参数从文件</source>
        <translation>Import from file</translation>
    </message>
    <message>
        <source>恢复默认参数</source>
        <translation>Factory defaults</translation>
    </message>
    <message>
        <source>属性树</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>设备信息</source>
        <translation>Device information</translation>
    </message>
    <message>
        <source>视频参数设置</source>
        <translation>Video parameters</translation>
    </message>
    <message>
        <source>曝光设置</source>
        <translation>Exposure</translation>
    </message>
    <message>
        <source>白平衡设置</source>
        <translation>White balance</translation>
    </message>
    <message>
        <source>十字线设置</source>
        <translation>Crosshairs</translation>
    </message>
    <message>
        <source>输出设置</source>
        <translation>Trigger and I/O</translation>
    </message>
    <message>
        <source>分辨率设置</source>
        <translation>Resolution</translation>
    </message>
    <message>
        <source>伽玛设置</source>
        <translation>Gamma</translation>
    </message>
    <message>
        <source>GigE设置</source>
        <translation>GigE</translation>
    </message>
    <message>
        <source>特殊设置</source>
        <translation>Special settings</translation>
    </message>
    <message>
        <source>参数保存</source>
        <translation>Parameter sets</translation>
    </message>
    <message>
        <source>设置1</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>工具</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>语言切换</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>工具栏</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>抓图</source>
        <translation>Picture capture</translation>
    </message>
    <message>
        <source>录像</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>快捷键</source>
        <translation>Hotkeys</translation>
    </message>
    <message>
        <source>打开相机参数默认保存目录</source>
        <translation>Open the default camera parameter folder</translation>
    </message>
    <message>
        <source>升级工具</source>
        <translation>Firmware upgrade tool</translation>
    </message>
    <message>
        <source>IP配置工具</source>
        <translation>IP configuration tool</translation>
    </message>
    <message>
        <source>帮助文档</source>
        <translation>User manual</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>简体中文</source>
        <translation>简体中文</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>打开相机</source>
        <translation>Open camera</translation>
    </message>
    <message>
        <source>单画面</source>
        <translation>Single view</translation>
    </message>
    <message>
        <source>四画面</source>
        <translation>Four views</translation>
    </message>
    <message>
        <source>九画面</source>
        <translation>Nine views</translation>
    </message>
    <message>
        <source>全屏</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>全屏显示</source>
        <translation>Show full screen</translation>
    </message>
    <message>
        <source>画面切换</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>切换语言失败</source>
        <translation>Failed to switch the language</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
    <message>
        <source>网络相机</source>
        <translation>Network cameras</translation>
    </message>
    <message>
        <source>USB相机</source>
        <translation>USB cameras</translation>
    </message>
    <message>
        <source>请检查执行目录下是否存在软件使用说明书.pdf</source>
        <translation>Please check that 软件使用说明书.pdf (the user manual) exists in the program directory</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>打开失败,请检查程序执行目录下是否存在IP配置程序</source>
        <translation>Could not start it. Please check that the IP configuration program exists in the program directory</translation>
    </message>
    <message>
        <source>打开失败,请检查程序执行目录下是否存在升级程序</source>
        <translation>Could not start it. Please check that the firmware upgrade program exists in the program directory</translation>
    </message>
    <message>
        <source>设备名称：</source>
        <translation>Device name:</translation>
    </message>
    <message>
        <source>IP地址：</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>子网掩码：</source>
        <translation>Subnet mask:</translation>
    </message>
    <message>
        <source>接口类型：</source>
        <translation>Interface:</translation>
    </message>
    <message>
        <source>物理地址：</source>
        <translation>MAC address:</translation>
    </message>
    <message>
        <source>状态：</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>产品名称：</source>
        <translation>Product name:</translation>
    </message>
    <message>
        <source>产品系列：</source>
        <translation>Product series:</translation>
    </message>
    <message>
        <source>传感器：</source>
        <translation>Sensor:</translation>
    </message>
    <message>
        <source>版本：</source>
        <translation>Driver version:</translation>
    </message>
    <message>
        <source>固件版本：</source>
        <translation>Firmware version:</translation>
    </message>
    <message>
        <source>选择一台相机查看设备信息</source>
        <translation>Select a camera to see its device information</translation>
    </message>
    <message>
        <source>设备昵称：</source>
        <translation>Nickname:</translation>
    </message>
    <message>
        <source>设置名称</source>
        <translation>Set name</translation>
    </message>
    <message>
        <source>已打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>未打开</source>
        <translation>Not open</translation>
    </message>
    <message>
        <source>相机已在其它地方打开，无法关闭</source>
        <translation>The camera is open in another program and cannot be closed here</translation>
    </message>
    <message>
        <source>请输入设备昵称</source>
        <translation>Please enter a nickname for the device</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>Success</translation>
    </message>
    <message>
        <source>修改设备名称成功</source>
        <translation>The device name was changed</translation>
    </message>
    <message>
        <source>热拔插组件注册失败</source>
        <translation>Could not register for device plug and unplug notifications</translation>
    </message>
    <message>
        <source>驱动版本：</source>
        <translation>Driver version:</translation>
    </message>
    <message>
        <source>序列号：</source>
        <translation>Serial number:</translation>
    </message>
    <message>
        <source>通讯类型：</source>
        <translation>Communication type:</translation>
    </message>
    <message>
        <source>设备类型：</source>
        <translation>Device type:</translation>
    </message>
    <message>
        <source>接口：</source>
        <translation>Interface:</translation>
    </message>
    <message>
        <source>SDK版本：</source>
        <translation>SDK version:</translation>
    </message>
    <message>
        <source>帧率</source>
        <translation>Frame rate</translation>
    </message>
    <message>
        <source>低速</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>中速</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>高速</source>
        <translation>High</translation>
    </message>
    <message>
        <source>图像</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>水平镜像</source>
        <translation>Mirror</translation>
    </message>
    <message>
        <source>垂直翻转</source>
        <translation>Flip</translation>
    </message>
    <message>
        <source>黑白模式</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>坏点修正</source>
        <translation>Defect correction</translation>
    </message>
    <message>
        <source>底片模式</source>
        <translation>Negative</translation>
    </message>
    <message>
        <source>输出图像</source>
        <translation>Output image</translation>
    </message>
    <message>
        <source>图像格式：</source>
        <translation>Image format:</translation>
    </message>
    <message>
        <source>图像处理</source>
        <translation>Image processing</translation>
    </message>
    <message>
        <source>对比度：</source>
        <translation>Contrast:</translation>
    </message>
    <message>
        <source>锐度：</source>
        <translation>Sharpness:</translation>
    </message>
    <message>
        <source>饱和度：</source>
        <translation>Saturation:</translation>
    </message>
    <message>
        <source>自动曝光</source>
        <translation>Auto exposure</translation>
    </message>
    <message>
        <source>手动曝光</source>
        <translation>Manual exposure</translation>
    </message>
    <message>
        <source>亮度目标：</source>
        <translation>Target brightness:</translation>
    </message>
    <message>
        <source>曝光范围(毫秒)</source>
        <translation>Exposure range (ms)</translation>
    </message>
    <message>
        <source>增益范围(倍数)</source>
        <translation>Gain range (×)</translation>
    </message>
    <message>
        <source>抗闪频</source>
        <translation>Anti-flicker</translation>
    </message>
    <message>
        <source>50Hz</source>
        <translation>50Hz</translation>
    </message>
    <message>
        <source>60Hz</source>
        <translation>60Hz</translation>
    </message>
    <message>
        <source>模拟增益(倍数)</source>
        <translation>Analog gain (×)</translation>
    </message>
    <message>
        <source>曝光时间(毫秒)</source>
        <translation>Exposure time (ms)</translation>
    </message>
    <message>
        <source>自动白平衡</source>
        <translation>Auto white balance</translation>
    </message>
    <message>
        <source>手动白平衡</source>
        <translation>Manual white balance</translation>
    </message>
    <message>
        <source>色温选择：</source>
        <translation>Color temperature:</translation>
    </message>
    <message>
        <source>红色增益：</source>
        <translation>Red gain:</translation>
    </message>
    <message>
        <source>绿色增益：</source>
        <translation>Green gain:</translation>
    </message>
    <message>
        <source>蓝色增益：</source>
        <translation>Blue gain:</translation>
    </message>
    <message>
        <source>一键白平衡</source>
        <translation>One-touch white balance</translation>
    </message>
    <message>
        <source>十字线1</source>
        <translation>Crosshair 1</translation>
    </message>
    <message>
        <source>X:</source>
        <translation>X:</translation>
    </message>
    <message>
        <source>Y:</source>
        <translation>Y:</translation>
    </message>
    <message>
        <source>十字线2</source>
        <translation>Crosshair 2</translation>
    </message>
    <message>
        <source>十字线3</source>
        <translation>Crosshair 3</translation>
    </message>
    <message>
        <source>十字线4</source>
        <translation>Crosshair 4</translation>
    </message>
    <message>
        <source>十字线5</source>
        <translation>Crosshair 5</translation>
    </message>
    <message>
        <source>十字线6</source>
        <translation>Crosshair 6</translation>
    </message>
    <message>
        <source>十字线7</source>
        <translation>Crosshair 7</translation>
    </message>
    <message>
        <source>十字线8</source>
        <translation>Crosshair 8</translation>
    </message>
    <message>
        <source>十字线9</source>
        <translation>Crosshair 9</translation>
    </message>
    <message>
        <source>触发模式</source>
        <translation>Trigger mode</translation>
    </message>
    <message>
        <source>连续采集</source>
        <translation>Continuous</translation>
    </message>
    <message>
        <source>软触发</source>
        <translation>Software trigger</translation>
    </message>
    <message>
        <source>硬件触发</source>
        <translation>Hardware trigger</translation>
    </message>
    <message>
        <source>触发参数</source>
        <translation>Trigger parameters</translation>
    </message>
    <message>
        <source>触发一次的帧数：</source>
        <translation>Frames per trigger:</translation>
    </message>
    <message>
        <source>触发延迟(微秒):</source>
        <translation>Trigger delay (µs):</translation>
    </message>
    <message>
        <source>触发一次</source>
        <translation>Trigger once</translation>
    </message>
    <message>
        <source>硬件触发参数</source>
        <translation>Hardware trigger parameters</translation>
    </message>
    <message>
        <source>输入：</source>
        <translation>Input:</translation>
    </message>
    <message>
        <source>工作模式：</source>
        <translation>Mode:</translation>
    </message>
    <message>
        <source>触发</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>输入IO</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>触发方式：</source>
        <translation>Trigger on:</translation>
    </message>
    <message>
        <source>上升沿触发</source>
        <translation>Rising edge</translation>
    </message>
    <message>
        <source>下降沿触发</source>
        <translation>Falling edge</translation>
    </message>
    <message>
        <source>高电平触发</source>
        <translation>High level</translation>
    </message>
    <message>
        <source>低电平触发</source>
        <translation>Low level</translation>
    </message>
    <message>
        <source>去抖时间(微秒):</source>
        <translation>Debounce time (µs):</translation>
    </message>
    <message>
        <source>输出信号</source>
        <translation>Output signal</translation>
    </message>
    <message>
        <source>输出：</source>
        <translation>Output:</translation>
    </message>
    <message>
        <source>输出模式：</source>
        <translation>Output mode:</translation>
    </message>
    <message>
        <source>闪光灯</source>
        <translation>Strobe</translation>
    </message>
    <message>
        <source>输出IO</source>
        <translation>Digital output</translation>
    </message>
    <message>
        <source>PWM</source>
        <translation>PWM</translation>
    </message>
    <message>
        <source>延时(微秒):</source>
        <translation>Delay (µs):</translation>
    </message>
    <message>
        <source>脉冲宽度(微秒):</source>
        <translation>Pulse width (µs):</translation>
    </message>
    <message>
        <source>有效电平极性：</source>
        <translation>Active level:</translation>
    </message>
    <message>
        <source>低电平</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>高电平</source>
        <translation>High</translation>
    </message>
    <message>
        <source>闪光灯模式：</source>
        <translation>Strobe mode:</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>半自动</source>
        <translation>Semi-automatic</translation>
    </message>
    <message>
        <source>输出电平：</source>
        <translation>Output level:</translation>
    </message>
    <message>
        <source>PWM周期(微秒):</source>
        <translation>PWM period (µs):</translation>
    </message>
    <message>
        <source>PWM高电平时间(微秒):</source>
        <translation>PWM high time (µs):</translation>
    </message>
    <message>
        <source>分辨率：</source>
        <translation>Resolution:</translation>
    </message>
    <message>
        <source>ROI区域</source>
        <translation>Region of interest</translation>
    </message>
    <message>
        <source>水平偏移：</source>
        <translation>Horizontal offset:</translation>
    </message>
    <message>
        <source>垂直偏移：</source>
        <translation>Vertical offset:</translation>
    </message>
    <message>
        <source>宽度：</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>高度：</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>动态</source>
        <translation>Dynamic</translation>
    </message>
    <message>
        <source>预置</source>
        <translation>Preset</translation>
    </message>
    <message>
        <source>伽玛：</source>
        <translation>Gamma:</translation>
    </message>
    <message>
        <source>预置LUT表:</source>
        <translation>Preset LUT:</translation>
    </message>
    <message>
        <source>GigE网络相机</source>
        <translation>GigE camera</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>固定IP</source>
        <translation>Static IP</translation>
    </message>
    <message>
        <source>默认网关：</source>
        <translation>Default gateway:</translation>
    </message>
    <message>
        <source>MAC地址：</source>
        <translation>MAC address:</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>传输</source>
        <translation>Transfer</translation>
    </message>
    <message>
        <source>最大传输大小(MTU):</source>
        <translation>Packet size (MTU):</translation>
    </message>
    <message>
        <source>为了达到最高传输效率，请设置为网卡最大传输包大小(1500-9000)。</source>
        <translation>For the fastest transfer, set the largest packet size the network card allows (1500-9000).</translation>
    </message>
    <message>
        <source>网络包间隔时间(微秒)</source>
        <translation>Packet interval (µs)</translation>
    </message>
    <message>
        <source>多通道</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>手动调焦</source>
        <translation>Manual focus</translation>
    </message>
    <message>
        <source>恢复默认值</source>
        <translation>Restore default</translation>
    </message>
    <message>
        <source>加载模式：</source>
        <translation>Load by:</translation>
    </message>
    <message>
        <source>型号</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>昵称</source>
        <translation>Nickname</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>参数组别：</source>
        <translation>Parameter set:</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>B</source>
        <translation>B</translation>
    </message>
    <message>
        <source>C</source>
        <translation>C</translation>
    </message>
    <message>
        <source>D</source>
        <translation>D</translation>
    </message>
    <message>
        <source>保存参数失败（错误码%1）</source>
        <translation>Saving the parameters failed (error code %1)</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Camera config files(*.Bin)</source>
        <translation>Camera config files(*.Bin)</translation>
    </message>
    <message>
        <source>文件不存在或无法读取</source>
        <translation>the file is missing or unreadable</translation>
    </message>
    <message>
        <source>不是参数文件</source>
        <translation>not a parameter file</translation>
    </message>
    <message>
        <source>文件不完整</source>
        <translation>the file is incomplete</translation>
    </message>
    <message>
        <source>文件已损坏</source>
        <translation>the file is damaged</translation>
    </message>
    <message>
        <source>文件属于其它型号的相机</source>
        <translation>the file belongs to another camera model</translation>
    </message>
    <message>
        <source>错误码%1</source>
        <translation>error code %1</translation>
    </message>
    <message>
        <source>加载参数文件失败：%1</source>
        <translation>Loading the parameter file failed: %1</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Select a folder</translation>
    </message>
    <message>
        <source>修改成功</source>
        <translation>Change applied</translation>
    </message>
    <message>
        <source>相机不接受最大传输大小%1</source>
        <translation>the camera does not accept the packet size %1</translation>
    </message>
    <message>
        <source>相机不接受网络包间隔时间%1微秒</source>
        <translation>the camera does not accept the packet interval of %1 µs</translation>
    </message>
    <message>
        <source>修改失败：%1</source>
        <translation>Change failed: %1</translation>
    </message>
    <message>
        <source>IP地址%1无效</source>
        <translation>the IP address %1 is invalid</translation>
    </message>
    <message>
        <source>子网掩码%1无效</source>
        <translation>the subnet mask %1 is invalid</translation>
    </message>
    <message>
        <source>网关%1不在IP地址所在的子网内</source>
        <translation>the gateway %1 is outside the subnet of the IP address</translation>
    </message>
    <message>
        <source>相机已在其它程序中打开，无法修改IP地址</source>
        <translation>the camera is open in another program, its IP address cannot be changed</translation>
    </message>
    <message>
        <source>相机未接受IP地址%1（错误码%2）</source>
        <translation>the camera did not accept the IP address %1 (error code %2)</translation>
    </message>
    <message>
        <source>设置失败：%1</source>
        <translation>Setting failed: %1</translation>
    </message>
    <message>
        <source>相机不支持LUT模式</source>
        <translation>The camera does not support this LUT mode</translation>
    </message>
    <message>
        <source>直线</source>
        <translation>Linear</translation>
    </message>
    <message>
        <source>曲线1</source>
        <translation>Curve 1</translation>
    </message>
    <message>
        <source>曲线2</source>
        <translation>Curve 2</translation>
    </message>
    <message>
        <source>通道%1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>没有可以打开PDF文件的程序，请安装PDF阅读器后再打开软件使用说明书</source>
        <translation>No program can open PDF files. Install a PDF viewer to open the user manual</translation>
    </message>
    <message>
        <source>无法打开相机参数默认保存目录:%1</source>
        <translation>Cannot open the default camera parameter folder: %1</translation>
    </message>
    <message>
        <source>修改设备名称失败</source>
        <translation>Failed to change the device name</translation>
    </message>
    <message>
        <source>自定义</source>
        <comment>window layout menu</comment>
        <translation>Custom layouts</translation>
    </message>
    <message>
        <source>自定义</source>
        <comment>resolution list: a region of interest</comment>
        <translation>Custom region</translation>
    </message>
    <message>
        <source>已加载参数组%1</source>
        <translation>Parameter group %1 loaded</translation>
    </message>
    <message>
        <source>参数组%1还没有保存过参数，已加载出厂默认参数</source>
        <translation>Parameter group %1 has never been saved; the factory defaults were loaded</translation>
    </message>
    <message>
        <source>参数组%1已损坏，已加载出厂默认参数</source>
        <translation>Parameter group %1 is damaged; the factory defaults were loaded</translation>
    </message>
    <message>
        <source>无法加载参数组%1（错误码%2），已加载出厂默认参数</source>
        <translation>Cannot load parameter group %1 (error code %2); the factory defaults were loaded</translation>
    </message>
    <message>
        <source>无法加载参数组%1（错误码%2），相机参数未改变</source>
        <translation>Cannot load parameter group %1 (error code %2); the camera&apos;s parameters are unchanged</translation>
    </message>
    <message>
        <source>；之前未保存的修改已被替换</source>
        <translation>; unsaved changes were replaced</translation>
    </message>
    <message>
        <source>参数已保存到参数组%1</source>
        <translation>Parameters saved to group %1</translation>
    </message>
    <message>
        <source>请先选择要保存到的参数组</source>
        <translation>Choose the parameter group to save to first</translation>
    </message>
    <message>
        <source>已加载出厂默认参数</source>
        <translation>Factory defaults loaded</translation>
    </message>
    <message>
        <source>无法加载出厂默认参数（错误码%1）</source>
        <translation>Cannot load the factory defaults (error code %1)</translation>
    </message>
    <message>
        <source>已加载参数文件%1</source>
        <translation>Parameter file %1 loaded</translation>
    </message>
    <message>
        <source>参数已导出到%1</source>
        <translation>Parameters exported to %1</translation>
    </message>
    <message>
        <source>文件夹%1不存在</source>
        <translation>the folder %1 does not exist</translation>
    </message>
    <message>
        <source>%1是文件夹或设备，不能作为参数文件</source>
        <translation>%1 is a folder or a device and cannot be a parameter file</translation>
    </message>
    <message>
        <source>没有写入文件夹%1的权限</source>
        <translation>no permission to write into the folder %1</translation>
    </message>
    <message>
        <source>无法写入%1（文件只读或磁盘已满）</source>
        <translation>cannot write %1 (read-only file or disk full)</translation>
    </message>
    <message>
        <source>相机已关闭</source>
        <translation>the camera is closed</translation>
    </message>
    <message>
        <source>%1（错误码%2）</source>
        <translation>%1 (error code %2)</translation>
    </message>
    <message>
        <source>导出参数文件失败：%1</source>
        <translation>Export of the parameter file failed: %1</translation>
    </message>
    <message>
        <source>相机的当前值（微秒）。相机库没有写入此值的操作，这里只能查看。</source>
        <translation>The camera&apos;s current value (microseconds). The camera library has no operation to write it, so it can only be viewed here.</translation>
    </message>
    <message>
        <source>相机库不支持底片模式，此选项不可用。</source>
        <translation>The camera library does not support negative mode; this option is not available.</translation>
    </message>
    <message>
        <source>相机库没有色温预设，此选项不可用。请用下面的增益或一键白平衡调整白平衡。</source>
        <translation>The camera library has no colour temperature presets; this option is not available. Adjust white balance with the gains below or one-touch white balance.</translation>
    </message>
    <message>
        <source>地址方式，点击“设置”后写入相机</source>
        <translation>Address mode, written to the camera with “Set”</translation>
    </message>
    <message>
        <source>范围：%1 毫秒</source>
        <translation>Range: %1 ms</translation>
    </message>
    <message>
        <source>范围：%1 倍</source>
        <translation>Range: %1 x</translation>
    </message>
    <message>
        <source>范围：%1</source>
        <translation>Range: %1</translation>
    </message>
    <message>
        <source>范围：%1 帧</source>
        <translation>Range: %1 frames</translation>
    </message>
    <message>
        <source>范围：%1 微秒</source>
        <translation>Range: %1 µs</translation>
    </message>
    <message>
        <source>范围：576–9000 字节</source>
        <translation>Range: 576–9000 bytes</translation>
    </message>
    <message>
        <source>范围：0–100000 微秒</source>
        <translation>Range: 0–100000 µs</translation>
    </message>
    <message>
        <source>图像中的位置（像素），勾选“显示”后写入相机</source>
        <translation>Position in the image (pixels), written to the camera when “Display” is checked</translation>
    </message>
    <message>
        <source>超出相机的范围</source>
        <translation>outside the camera&apos;s range</translation>
    </message>
    <message>
        <source>当前模式下不可用</source>
        <translation>not available in the current mode</translation>
    </message>
    <message>
        <source>相机不支持此功能</source>
        <translation>the camera does not support this</translation>
    </message>
    <message>
        <source>相机未接受%1：%2</source>
        <translation>The camera did not accept the %1: %2</translation>
    </message>
    <message>
        <source>白平衡模式</source>
        <translation>white balance mode</translation>
    </message>
    <message>
        <source>LUT模式</source>
        <translation>LUT mode</translation>
    </message>
    <message>
        <source>曝光模式</source>
        <translation>exposure mode</translation>
    </message>
    <message>
        <source>光源频率</source>
        <translation>light frequency</translation>
    </message>
    <message>
        <source>加载模式</source>
        <translation>load mode</translation>
    </message>
    <message>
        <source>白平衡增益</source>
        <translation>white balance gains</translation>
    </message>
    <message>
        <source>对比度</source>
        <translation>contrast</translation>
    </message>
    <message>
        <source>锐度</source>
        <translation>sharpness</translation>
    </message>
    <message>
        <source>饱和度</source>
        <translation>saturation</translation>
    </message>
    <message>
        <source>伽玛</source>
        <translation>gamma</translation>
    </message>
    <message>
        <source>LUT对比度</source>
        <translation>LUT contrast</translation>
    </message>
    <message>
        <source>亮度目标</source>
        <translation>target brightness</translation>
    </message>
    <message>
        <source>模拟增益</source>
        <translation>analog gain</translation>
    </message>
    <message>
        <source>曝光时间</source>
        <translation>exposure time</translation>
    </message>
    <message>
        <source>调焦位置</source>
        <translation>focus position</translation>
    </message>
    <message>
        <source>十字线%1</source>
        <translation>crosshair %1</translation>
    </message>
    <message>
        <source>请输入数值</source>
        <translation>enter a number</translation>
    </message>
    <message>
        <source>“%1”不是数字</source>
        <translation>“%1” is not a number</translation>
    </message>
    <message>
        <source>请输入整数</source>
        <translation>enter a whole number</translation>
    </message>
    <message>
        <source>%1超出范围%2</source>
        <translation>%1 is outside the range %2</translation>
    </message>
    <message>
        <source>最小值大于最大值</source>
        <translation>the minimum is above the maximum</translation>
    </message>
    <message>
        <source>%1未设置：%2</source>
        <translation>%1 not set: %2</translation>
    </message>
    <message>
        <source>曝光范围</source>
        <translation>Exposure range</translation>
    </message>
    <message>
        <source>%1 毫秒</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>增益范围</source>
        <translation>Gain range</translation>
    </message>
    <message>
        <source>%1 倍</source>
        <translation>%1 x</translation>
    </message>
    <message>
        <source>触发帧数</source>
        <translation>Trigger frame count</translation>
    </message>
    <message>
        <source>触发延迟</source>
        <translation>Trigger delay</translation>
    </message>
    <message>
        <source>%1 帧</source>
        <translation>%1 frames</translation>
    </message>
    <message>
        <source>%1 微秒</source>
        <translation>%1 µs</translation>
    </message>
    <message>
        <source>预置LUT表</source>
        <translation>preset LUT</translation>
    </message>
    <message>
        <source>图像格式</source>
        <translation>image format</translation>
    </message>
    <message>
        <source>输入工作模式</source>
        <translation>input mode</translation>
    </message>
    <message>
        <source>触发方式</source>
        <translation>trigger edge</translation>
    </message>
    <message>
        <source>输出模式</source>
        <translation>output mode</translation>
    </message>
    <message>
        <source>闪光灯模式</source>
        <translation>strobe mode</translation>
    </message>
    <message>
        <source>有效电平极性</source>
        <translation>strobe polarity</translation>
    </message>
    <message>
        <source>输出电平</source>
        <translation>output level</translation>
    </message>
    <message>
        <source>分辨率</source>
        <translation>resolution</translation>
    </message>
    <message>
        <source>相机还在处理之前的触发，请稍后再触发</source>
        <translation>The camera is still serving earlier triggers; trigger again later</translation>
    </message>
    <message>
        <source>触发失败（错误码%1）</source>
        <translation>Trigger failed (error code %1)</translation>
    </message>
    <message>
        <source>相机没有默认调焦位置，调焦位置未改变</source>
        <translation>The camera has no default focus position; the focus was not changed</translation>
    </message>
    <message>
        <source>调焦位置已恢复为默认值%1</source>
        <translation>Focus position restored to its default %1</translation>
    </message>
    <message>
        <source>已将固定IP地址%1写入相机</source>
        <translation>Static IP address %1 written to the camera</translation>
    </message>
    <message>
        <source>已将DHCP写入相机</source>
        <translation>DHCP written to the camera</translation>
    </message>
    <message>
        <source>相机未接受DHCP（错误码%1）</source>
        <translation>the camera did not accept DHCP (error code %1)</translation>
    </message>
    <message>
        <source>不接受“%1”：范围 %2，最多 %3 位小数</source>
        <translation>“%1” not accepted: range %2, at most %3 decimals</translation>
    </message>
    <message>
        <source>不接受“%1”：范围 %2</source>
        <translation>“%1” not accepted: range %2</translation>
    </message>
    <message>
        <source>全部录像</source>
        <translation>Record all</translation>
    </message>
    <message>
        <source>停止全部录像</source>
        <translation>Stop recording all</translation>
    </message>
    <message>
        <source>没有可以录像的相机窗口</source>
        <translation>No camera window can record</translation>
    </message>
    <message>
        <source>无法开始录像: %1</source>
        <translation>Cannot start recording: %1</translation>
    </message>
    <message>
        <source>没有相机开始录像, 原因见各相机窗口的状态栏</source>
        <translation>No camera started recording; each camera window&apos;s status line says why</translation>
    </message>
    <message>
        <source>无法写入录像汇总文件: %1 (%2)</source>
        <translation>Cannot write the recording summary file: %1 (%2)</translation>
    </message>
    <message>
        <source>不接受“%1”</source>
        <translation>“%1” not accepted</translation>
    </message>
    <message>
        <source>相机属性</source>
        <translation>Camera Features</translation>
    </message>
    <message>
        <source>请先选中一个显示相机的窗口。</source>
        <translation>Select a window showing a camera first.</translation>
    </message>
</context>
<context>
    <name>features::Worker</name>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>no such file</translation>
    </message>
    <message>
        <source>文件太大，不是相机属性文件</source>
        <translation>too large for a camera feature file</translation>
    </message>
</context>
<context>
    <name>histogramWidget</name>
    <message>
        <source>直方图</source>
        <translation>Histogram</translation>
    </message>
    <message>
        <source>实时数据</source>
        <translation>Live data</translation>
    </message>
    <message>
        <source>X轴:</source>
        <translation>Level:</translation>
    </message>
    <message>
        <source>通道</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>最小值</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>最大值</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>平均值</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>标准差</source>
        <translation>Std. deviation</translation>
    </message>
    <message>
        <source>X轴:%1</source>
        <translation>Level:%1</translation>
    </message>
    <message>
        <source>红色:</source>
        <translation>Red:</translation>
    </message>
    <message>
        <source>绿色:</source>
        <translation>Green:</translation>
    </message>
    <message>
        <source>蓝色:</source>
        <translation>Blue:</translation>
    </message>
    <message>
        <source>红色</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>绿色</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>蓝色</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>红色:%1</source>
        <translation>Red:%1</translation>
    </message>
    <message>
        <source>绿色:%1</source>
        <translation>Green:%1</translation>
    </message>
    <message>
        <source>蓝色:%1</source>
        <translation>Blue:%1</translation>
    </message>
</context>
<context>
    <name>suite</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>切换语言失败</source>
        <translation>Failed to switch the language</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
</TS>
