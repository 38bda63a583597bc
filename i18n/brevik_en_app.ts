<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AgentRun</name>
    <message>
        <source>守护：后台检查</source>
        <translation>Guardian: background check</translation>
    </message>
    <message>
        <source>[守护] %1</source>
        <translation>[Guardian] %1</translation>
    </message>
    <message>
        <source>已关闭所有网络服务上残留的系统代理 %1，网络恢复直连。如需撤销：运行 brevik --undo，或在 Brevik 窗口菜单选择「撤销上次修复」。</source>
        <translation>Switched off the leftover system proxy %1 on every network service: the Mac connects directly again. To take it back, run brevik --undo or choose “Undo last repair” in Brevik’s menu.</translation>
    </message>
</context>
<context>
    <name>MarkdownReport</name>
    <message>
        <source>分类：%1</source>
        <translation>Category: %1</translation>
    </message>
    <message>
        <source>**如何修复：** %1</source>
        <translation>**How to fix:** %1</translation>
    </message>
    <message>
        <source>**手动步骤：**</source>
        <translation>**Manual steps:**</translation>
    </message>
    <message>
        <source>**修复：** %1（`brevik --fix %2`）</source>
        <translation>**Repair:** %1 (`brevik --fix %2`)</translation>
    </message>
    <message>
        <source>，需要管理员权限</source>
        <translation>, needs administrator rights</translation>
    </message>
    <message>
        <source>| 服务 | 直连 | 代理 | 延迟 |</source>
        <translation>| Service | Direct | Proxy | Latency |</translation>
    </message>
    <message>
        <source>不可达</source>
        <translation>Unreachable</translation>
    </message>
    <message>
        <source># Brevik 诊断报告</source>
        <translation># Brevik diagnosis report</translation>
    </message>
    <message>
        <source>- 结论：%1</source>
        <translation>- Verdict: %1</translation>
    </message>
    <message>
        <source>- 扫描时间：%1，耗时 %2 秒</source>
        <translation>- Scanned: %1, in %2 s</translation>
    </message>
    <message>
        <source>- 上网实测：%1</source>
        <translation>- Internet test: %1</translation>
    </message>
    <message>
        <source>- 注意：这份报告来自模拟的 Mac（场景 %1），不是一台真实的电脑</source>
        <translation>- Note: this report comes from a simulated Mac (scenario %1), not from a real computer</translation>
    </message>
    <message>
        <source>## 需要处理的问题（%1）</source>
        <translation>## Problems to fix (%1)</translation>
    </message>
    <message>
        <source>没有发现需要修复的问题。</source>
        <translation>No problems to fix.</translation>
    </message>
    <message>
        <source>## 检查通过项（%1）</source>
        <translation>## Passed checks (%1)</translation>
    </message>
    <message>
        <source>## AI 服务连通性</source>
        <translation>## AI services</translation>
    </message>
</context>
<context>
    <name>ScanReport</name>
    <message>
        <source>修复：%1 · brevik --fix %2</source>
        <translation>Repair: %1 · brevik --fix %2</translation>
    </message>
    <message>
        <source>上网实测：%1</source>
        <translation>Internet test: %1</translation>
    </message>
</context>
<context>
    <name>TerminalModes</name>
    <message>
        <source>用法：brevik --fix FIX-ID（例如 fix-proxy-off-all）</source>
        <translation>Usage: brevik --fix FIX-ID (for example fix-proxy-off-all)</translation>
    </message>
    <message>
        <source>命令行修复：%1</source>
        <translation>Terminal repair: %1</translation>
    </message>
    <message>
        <source>本次扫描没有发现可用「%1」修复的问题。</source>
        <translation>This scan found no problem that %1 repairs.</translation>
    </message>
    <message>
        <source>无法读取修复记录：%1</source>
        <translation>Cannot read the repair journal: %1</translation>
    </message>
    <message>
        <source>还没有修复记录。</source>
        <translation>No repairs yet.</translation>
    </message>
    <message numerus="yes">
        <source>（只列出最近 %n 条；全部记录：brevik --history --all）</source>
        <translation>
            <numerusform>(Only the latest %n entry is listed; all of them: brevik --history --all)</numerusform>
            <numerusform>(Only the latest %n entries are listed; all of them: brevik --history --all)</numerusform>
        </translation>
    </message>
    <message>
        <source>用法：brevik --undo [编号] [--force]（编号见 brevik --history）</source>
        <translation>Usage: brevik --undo [NUMBER] [--force] (the numbers brevik --history shows)</translation>
    </message>
    <message>
        <source>命令行撤销</source>
        <translation>Terminal undo</translation>
    </message>
    <message>
        <source>修复记录里没有 #%1（见 brevik --history）。</source>
        <translation>The repair journal has no #%1 (see brevik --history).</translation>
    </message>
    <message>
        <source>没有可以撤销的修复。</source>
        <translation>No repair to undo.</translation>
    </message>
</context>
<context>
    <name>WindowApp</name>
    <message>
        <source>无法打开模拟的 Mac：%1</source>
        <translation>Cannot open the simulated Mac: %1</translation>
    </message>
</context>
<context>
    <name>WindowLoader</name>
    <message>
        <source>无法加载窗口模块：%1</source>
        <translation>Cannot load the window module: %1</translation>
    </message>
    <message>
        <source>窗口模块不完整：%1</source>
        <translation>The window module is incomplete: %1</translation>
    </message>
</context>
<context>
    <name>brevik::AppMenu</name>
    <message>
        <source>复制诊断报告</source>
        <translation>Copy diagnosis report</translation>
    </message>
    <message>
        <source>导出诊断报告…</source>
        <translation>Export diagnosis report…</translation>
    </message>
    <message>
        <source>关于 Brevik</source>
        <translation>About Brevik</translation>
    </message>
    <message>
        <source>退出 Brevik</source>
        <translation>Quit Brevik</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>导出诊断报告</source>
        <translation>Export diagnosis report</translation>
    </message>
    <message>
        <source>Brevik 诊断报告 %1</source>
        <translation>Brevik diagnosis report %1</translation>
    </message>
    <message>
        <source>导出失败</source>
        <translation>Export failed</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>找出 Mac 上不了网、连不上 AI 服务的原因，并修复它。</source>
        <translation>Finds out why a Mac cannot reach the internet or its AI services, and repairs it.</translation>
    </message>
    <message>
        <source>当前运行在模拟的 Mac（场景 %1）上，不会改动这台电脑。</source>
        <translation>Running on a simulated Mac (scenario %1): nothing on this computer changes.</translation>
    </message>
    <message>
        <source>图标：Material Symbols（Apache License 2.0）</source>
        <translation>Icons: Material Symbols (Apache License 2.0)</translation>
    </message>
</context>
<context>
    <name>brevik::ViewMenu</name>
    <message>
        <source>显示</source>
        <translation>View</translation>
    </message>
    <message>
        <source>重新扫描</source>
        <translation>Rescan</translation>
    </message>
    <message>
        <source>重新测试上网</source>
        <translation>Test internet again</translation>
    </message>
</context>
</TS>
