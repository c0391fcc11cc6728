<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Addrwright</name>
    <message>
        <source>IP配置工具</source>
        <translation>IP configuration tool</translation>
    </message>
    <message>
        <source>双击表格，即可对选择的相机进行IP配置！</source>
        <translation>Double-click a row to change that camera&apos;s IP address.</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>名称：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>设置名称</source>
        <translation>Set name</translation>
    </message>
    <message>
        <source>修改IP</source>
        <translation>Change IP</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>接口类型</source>
        <translation>Interface type</translation>
    </message>
    <message>
        <source>sensor版本</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>设备驱动</source>
        <translation>Driver</translation>
    </message>
    <message>
        <source>物理地址</source>
        <translation>MAC address</translation>
    </message>
    <message>
        <source>IP配置</source>
        <translation>IP configuration</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>默认网关</source>
        <translation>Default gateway</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>请选择相机</source>
        <translation>Please select a camera</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>请选择设备</source>
        <translation>Please select a device</translation>
    </message>
    <message>
        <source>相机打开失败，无法修改名称</source>
        <translation>Failed to open the camera; the name cannot be changed</translation>
    </message>
    <message>
        <source>修改名称成功</source>
        <translation>The name was changed</translation>
    </message>
    <message>
        <source>修改名称失败</source>
        <translation>Failed to change the name</translation>
    </message>
    <message>
        <source>静态IP</source>
        <translation>Static IP</translation>
    </message>
    <message>
        <source>动态IP</source>
        <translation>Dynamic IP</translation>
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
    <name>ipModify</name>
    <message>
        <source>修改IP地址</source>
        <translation>Change IP address</translation>
    </message>
    <message>
        <source>修改IP地址使设备可达.</source>
        <translation>Change the IP address so that the camera can be reached.</translation>
    </message>
    <message>
        <source>静态IP</source>
        <translation>Static IP</translation>
    </message>
    <message>
        <source>自动获取IP(DHCP)</source>
        <translation>Obtain an IP address automatically (DHCP)</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>IP地址:</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>子网掩码:</source>
        <translation>Subnet mask:</translation>
    </message>
    <message>
        <source>默认网关:</source>
        <translation>Default gateway:</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>修改IP失败</source>
        <translation>Failed to change the IP address</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>修改IP成功。</source>
        <translation>The IP address was changed.</translation>
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
