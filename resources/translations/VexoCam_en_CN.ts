<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
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
