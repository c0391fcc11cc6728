<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Flashmere</name>
    <message>
        <source>升级</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>升级文件：</source>
        <translation>Upgrade file:</translation>
    </message>
    <message>
        <source>刷新列表</source>
        <translation>Refresh list</translation>
    </message>
    <message>
        <source>注意：固件升级过程中，请勿断开相机与PC的连接，且不能断电！</source>
        <translation>Note: during the firmware upgrade, do not disconnect the camera from the PC and do not power it off!</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>固件升级正在进行，请等待升级结束后再关闭</source>
        <translation>A firmware upgrade is running; please wait until it has finished before closing</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>设备类型</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>产品系列</source>
        <translation>Product series</translation>
    </message>
    <message>
        <source>产品名称</source>
        <translation>Product name</translation>
    </message>
    <message>
        <source>sensor版本</source>
        <translation>Sensor version</translation>
    </message>
    <message>
        <source>软件版本</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>请选择相机升级文件路径</source>
        <translation>Choose the camera&apos;s upgrade file</translation>
    </message>
    <message>
        <source>已打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>空闲</source>
        <translation>Idle</translation>
    </message>
    <message>
        <source>升级成功,请断电重启相机</source>
        <translation>Upgrade succeeded. Please power the camera off and on again.</translation>
    </message>
    <message>
        <source>升级失败,升级文件路径错误</source>
        <translation>Upgrade failed: the upgrade file path is wrong</translation>
    </message>
    <message>
        <source>升级失败,设备已经打开</source>
        <translation>Upgrade failed: the camera is open</translation>
    </message>
    <message>
        <source>升级失败,升级文件不匹配</source>
        <translation>Upgrade failed: the upgrade file does not fit this camera</translation>
    </message>
    <message>
        <source>升级失败,操作失败</source>
        <translation>Upgrade failed: the operation failed</translation>
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
