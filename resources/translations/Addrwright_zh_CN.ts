<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Addrwright</name>
    <message>
        <source>IP配置工具</source>
        <translation>IP配置工具</translation>
    </message>
</context>
<context>
    <name>suite</name>
    <message>
        <source>提示</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>切换语言失败</source>
        <translation>切换语言失败</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>确定</translation>
    </message>
</context>
</TS>
