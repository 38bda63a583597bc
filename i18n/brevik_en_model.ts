<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Category</name>
    <message>
        <source>基础连接</source>
        <translation>Connectivity</translation>
    </message>
    <message>
        <source>DNS 解析</source>
        <translation>DNS</translation>
    </message>
    <message>
        <source>代理 / 科学上网</source>
        <translation>Proxy</translation>
    </message>
    <message>
        <source>AI 服务连通</source>
        <translation>AI services</translation>
    </message>
    <message>
        <source>系统环境</source>
        <translation>System</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>待修复</source>
        <translation>To fix</translation>
    </message>
    <message>
        <source>正常项</source>
        <translation>Passed</translation>
    </message>
</context>
<context>
    <name>FixAction</name>
    <message>
        <source>修复后请点击「重新扫描」确认结果。</source>
        <translation>After the repair, click “Rescan” to confirm the result.</translation>
    </message>
</context>
<context>
    <name>NetConfig</name>
    <message>
        <source>自动代理(PAC)</source>
        <translation>Automatic proxy (PAC)</translation>
    </message>
</context>
<context>
    <name>Severity</name>
    <message>
        <source>正常</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>故障</source>
        <translation>Error</translation>
    </message>
</context>
</TS>
