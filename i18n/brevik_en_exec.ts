<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Runner</name>
    <message>
        <source>无法启动命令: %1</source>
        <translation>Cannot start the command: %1</translation>
    </message>
</context>
</TS>
