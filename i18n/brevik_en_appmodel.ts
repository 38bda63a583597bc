<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>BatchReport</name>
    <message>
        <source>❌ 没有执行（修复程序没有给出结果）</source>
        <translation>❌ Not run (the repair gave no result)</translation>
    </message>
    <message>
        <source>批量修复完成</source>
        <translation>All repairs done</translation>
    </message>
    <message>
        <source>批量修复部分完成</source>
        <translation>Repairs partly done</translation>
    </message>
    <message>
        <source>批量修复失败</source>
        <translation>Repairs failed</translation>
    </message>
    <message>
        <source>批量修复已取消</source>
        <translation>Repairs cancelled</translation>
    </message>
    <message numerus="yes">
        <source>%n 项修复全部成功。</source>
        <translation>
            <numerusform>%n repair succeeded.</numerusform>
            <numerusform>All %n repairs succeeded.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 项修复中 %1 项成功，其余没有成功，原因见下。</source>
        <translation>
            <numerusform>%1 of %n repair succeeded; the others did not, see why below.</numerusform>
            <numerusform>%1 of %n repairs succeeded; the others did not, see why below.</numerusform>
        </translation>
    </message>
    <message>
        <source>没有一项修复成功，原因见下。</source>
        <translation>No repair succeeded; see why below.</translation>
    </message>
    <message>
        <source>没有输入管理员密码；不需要密码的部分已经执行，它做的改动仍然有效，见下。</source>
        <translation>No administrator password was entered. The parts that need none ran, and their changes stay in effect; see below.</translation>
    </message>
    <message>
        <source>没有输入管理员密码，修复没有执行，设置没有任何改动。</source>
        <translation>No administrator password was entered: nothing ran, and no setting changed.</translation>
    </message>
</context>
<context>
    <name>Headline</name>
    <message>
        <source>正常</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>可用</source>
        <translation>Usable</translation>
    </message>
    <message>
        <source>网络正常，未发现问题</source>
        <translation>The network works, no problems found</translation>
    </message>
    <message numerus="yes">
        <source>网络正常可用，%n 项可选优化（可先放一放）</source>
        <translation>
            <numerusform>The network works; %n optional improvement (it can wait)</numerusform>
            <numerusform>The network works; %n optional improvements (they can wait)</numerusform>
        </translation>
    </message>
    <message>
        <source>网络状态良好，未发现问题</source>
        <translation>The network is in good shape, no problems found</translation>
    </message>
    <message>
        <source>正在诊断你的网络…</source>
        <translation>Diagnosing your network…</translation>
    </message>
    <message>
        <source>网络存在异常，可一键优化</source>
        <translation>Something is off with the network; one click can fix it</translation>
    </message>
    <message>
        <source>网络存在故障，建议立即修复</source>
        <translation>The network is broken; repair it now</translation>
    </message>
</context>
<context>
    <name>brevik::AppModel</name>
    <message>
        <source>准备中…</source>
        <translation>Getting ready…</translation>
    </message>
    <message>
        <source>守护启动中…</source>
        <translation>Guardian starting…</translation>
    </message>
    <message>
        <source>守护已暂停（不会自动修复代理残留）</source>
        <translation>Guardian paused (leftover proxies are not repaired automatically)</translation>
    </message>
    <message>
        <source>守护：检查残留代理</source>
        <translation>Guardian: checking for a leftover proxy</translation>
    </message>
    <message>
        <source>守护：恢复处理</source>
        <translation>Guardian: resuming</translation>
    </message>
    <message>
        <source>⏳ 正在执行修复…</source>
        <translation>⏳ Repairing…</translation>
    </message>
    <message>
        <source>修复：%1</source>
        <translation>Repair: %1</translation>
    </message>
    <message>
        <source>开始批量修复…</source>
        <translation>Starting the repairs…</translation>
    </message>
    <message>
        <source>批量修复</source>
        <translation>Repair all</translation>
    </message>
    <message numerus="yes">
        <source>及另外 %n 项</source>
        <translation>
            <numerusform>and %n more</numerusform>
            <numerusform>and %n more</numerusform>
        </translation>
    </message>
    <message>
        <source>正在读取网络配置…</source>
        <translation>Reading the network configuration…</translation>
    </message>
    <message>
        <source>诊断完成</source>
        <translation>Diagnosis complete</translation>
    </message>
    <message>
        <source>（记录不可信：%1）</source>
        <translation>(entry not trustworthy: %1)</translation>
    </message>
    <message>
        <source>（进行中）</source>
        <translation>(in progress)</translation>
    </message>
    <message>
        <source>（中断：进程在完成前退出）</source>
        <translation>(interrupted: the process ended before it finished)</translation>
    </message>
    <message>
        <source>（未做任何修改）</source>
        <translation>(changed nothing)</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation>(%1)</translation>
    </message>
    <message>
        <source>⚠️ 正在修复，请等修复结束后再撤销。</source>
        <translation>⚠️ A repair is running; undo once it has ended.</translation>
    </message>
    <message>
        <source>⏳ 正在撤销…</source>
        <translation>⏳ Undoing…</translation>
    </message>
    <message>
        <source>撤销修复</source>
        <translation>Undo a repair</translation>
    </message>
</context>
</TS>
