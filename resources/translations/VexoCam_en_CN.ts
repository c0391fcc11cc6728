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
</context>
<context>
    <name>CVideoThread</name>
    <message>
        <source>SDK保存图片成功</source>
        <translation>Picture saved by the SDK</translation>
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
        <translation>Double-click a row to open that camera!</translation>
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
        <translation>Opened</translation>
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
        <translation>Picture saved by the SDK</translation>
    </message>
    <message>
        <source>图片未保存, 错误码:%1</source>
        <translation>Picture not saved, error code: %1</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>丢失帧数：%1</source>
        <translation>Lost frames: %1</translation>
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
        <translation>Save set</translation>
    </message>
    <message>
        <source>导出参数到文件</source>
        <translation>Export file</translation>
    </message>
    <message>
        <source>加载参数从文件</source>
        <translation>Import file</translation>
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
        <translation>Special</translation>
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
        <source>自定义</source>
        <translation>Custom layouts</translation>
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
        <translation>State:</translation>
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
        <translation>Edition:</translation>
    </message>
    <message>
        <source>固件版本：</source>
        <translation>Firmware:</translation>
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
        <translation>Closed</translation>
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
