<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>StatsRow</name>
    <message>
        <source>网络状态</source>
        <translation>Network status</translation>
    </message>
    <message>
        <source>待处理问题</source>
        <translation>Open problems</translation>
    </message>
    <message>
        <source>检查通过</source>
        <translation>Checks passed</translation>
    </message>
    <message>
        <source>可一键修复</source>
        <translation>One-click repairs</translation>
    </message>
</context>
<context>
    <name>brevik::AIServiceCard</name>
    <message>
        <source>可达</source>
        <translation>reachable</translation>
    </message>
    <message>
        <source>不可达</source>
        <translation>unreachable</translation>
    </message>
    <message>
        <source>直连</source>
        <translation>Direct</translation>
    </message>
    <message>
        <source>代理</source>
        <translation>Proxy</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>直连%1，代理%2，%3</source>
        <translation>Direct: %1, proxy: %2, %3</translation>
    </message>
    <message>
        <source>直连%1，代理%2</source>
        <translation>Direct: %1, proxy: %2</translation>
    </message>
</context>
<context>
    <name>brevik::BatchSummary</name>
    <message>
        <source>知道了</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>收起这次批量修复的结果</source>
        <translation>Hide the results of this batch repair</translation>
    </message>
</context>
<context>
    <name>brevik::ContentView</name>
    <message>
        <source>修复操作只修改你自己的系统网络设置；需要权限时会弹出 macOS 密码框，不输入密码不会做任何修改。所有改动均可在「系统设置 → 网络」中还原。</source>
        <translation>Repairs only change your own network settings. When one needs administrator rights, macOS asks for your password; without it nothing is changed. Every change can be reverted in System Settings → Network.</translation>
    </message>
</context>
<context>
    <name>brevik::FilterBar</name>
    <message>
        <source>筛选</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>扫描于 %1&#x3000;·&#x3000;耗时 %2s</source>
        <translation>Scanned at %1 · took %2 s</translation>
    </message>
    <message>
        <source>准备扫描…</source>
        <translation>Preparing to scan…</translation>
    </message>
</context>
<context>
    <name>brevik::FindingCard</name>
    <message>
        <source>收起手动步骤</source>
        <translation>Hide manual steps</translation>
    </message>
    <message>
        <source>查看手动修复步骤（%1）</source>
        <translation>Show manual steps (%1)</translation>
    </message>
    <message>
        <source># 需要管理员权限（前面加 sudo 或在终端执行）</source>
        <translation># Needs administrator rights (put sudo in front, or run in Terminal)</translation>
    </message>
    <message>
        <source>如何修复</source>
        <translation>How to fix</translation>
    </message>
    <message>
        <source>立即修复</source>
        <translation>Repair now</translation>
    </message>
    <message>
        <source>一键修复</source>
        <translation>Repair</translation>
    </message>
    <message>
        <source>需要管理员权限：会弹出系统密码框</source>
        <translation>Needs administrator rights: macOS will ask for your password</translation>
    </message>
    <message>
        <source>正在修复…</source>
        <translation>Repairing…</translation>
    </message>
    <message>
        <source>复制命令</source>
        <translation>Copy commands</translation>
    </message>
    <message>
        <source>按提示手动处理</source>
        <translation>Follow the steps</translation>
    </message>
    <message>
        <source>已修复 %1</source>
        <translation>Repaired %1</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <comment>a finding&apos;s title, then its repair log</comment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <comment>a finding&apos;s title, then its severity</comment>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>brevik::FindingList</name>
    <message>
        <source>AI 服务连通性</source>
        <translation>AI service reachability</translation>
    </message>
    <message>
        <source>暂未发现需要修复的问题</source>
        <translation>No problems found yet</translation>
    </message>
    <message>
        <source>扫描还在进行，发现的问题会出现在这里。</source>
        <translation>The scan is still running; problems it finds will show up here.</translation>
    </message>
    <message>
        <source>没有发现需要修复的问题</source>
        <translation>No problems found</translation>
    </message>
    <message>
        <source>网络连接、DNS、代理与 AI 服务均正常。</source>
        <translation>Network connection, DNS, proxy and AI services all work.</translation>
    </message>
    <message numerus="yes">
        <source>网络连接、DNS 与代理均正常；%n 个 AI 服务暂时连不上，见上方「AI 服务连通性」。</source>
        <translation>
            <numerusform>Network connection, DNS and proxy all work; %n AI service cannot be reached for now (see “AI service reachability” above).</numerusform>
            <numerusform>Network connection, DNS and proxy all work; %n AI services cannot be reached for now (see “AI service reachability” above).</numerusform>
        </translation>
    </message>
    <message>
        <source>需要处理的问题（%1）</source>
        <translation>Problems to handle (%1)</translation>
    </message>
    <message>
        <source>检查通过项（%1）</source>
        <translation>Checks passed (%1)</translation>
    </message>
</context>
<context>
    <name>brevik::GuardianCard</name>
    <message>
        <source>代理断网守护</source>
        <translation>Proxy guardian</translation>
    </message>
    <message>
        <source>后台常驻已开启</source>
        <translation>Runs in background</translation>
    </message>
    <message>
        <source>ClashX 退出或崩溃后，系统代理会残留指向 127.0.0.1:7890，导致 Velden Studio、浏览器、Claude 客户端等全部断网。守护会实时检测并自动关闭残留代理，无需密码，网络立即恢复。</source>
        <translation>When ClashX quits or crashes, the system proxy is left pointing at 127.0.0.1:7890 and Velden Studio, browsers, the Claude app and others all lose the internet. The guardian watches for a leftover proxy and switches it off at once, with no password, so the network comes straight back.</translation>
    </message>
    <message>
        <source>恢复守护</source>
        <translation>Resume guardian</translation>
    </message>
    <message>
        <source>让守护重新处理这个代理</source>
        <translation>Let the guardian handle this proxy again</translation>
    </message>
    <message>
        <source>运行中</source>
        <translation>Running</translation>
    </message>
    <message>
        <source>已暂停</source>
        <translation>Paused</translation>
    </message>
    <message numerus="yes">
        <source>已自动修复 %n 次</source>
        <translation>
            <numerusform>Repaired %n time</numerusform>
            <numerusform>Repaired %n times</numerusform>
        </translation>
    </message>
    <message>
        <source>暂停守护</source>
        <translation>Pause guardian</translation>
    </message>
    <message>
        <source>开启守护</source>
        <translation>Start guardian</translation>
    </message>
    <message>
        <source>卸载后台守护</source>
        <translation>Remove agent</translation>
    </message>
    <message>
        <source>安装后台守护</source>
        <translation>Install agent</translation>
    </message>
    <message>
        <source>暂无日志。当守护检测到或修复了代理残留时，这里会记录。</source>
        <translation>No log yet. When the guardian finds or clears a leftover proxy, it is noted here.</translation>
    </message>
    <message>
        <source>隐藏日志</source>
        <translation>Hide log</translation>
    </message>
    <message>
        <source>守护日志</source>
        <translation>Guardian log</translation>
    </message>
</context>
<context>
    <name>brevik::HeaderBar</name>
    <message>
        <source>状态：%1</source>
        <translation>Status: %1</translation>
    </message>
    <message>
        <source>重新扫描</source>
        <translation>Rescan</translation>
    </message>
    <message>
        <source>自动修复所有可修复的问题；需要权限时只弹一次密码框</source>
        <translation>Repair every problem that can be repaired; asks for your password once at most</translation>
    </message>
    <message>
        <source>一键修复全部 (%1)</source>
        <translation>Repair all (%1)</translation>
    </message>
    <message>
        <source>模拟的 Mac：%1</source>
        <translation>Simulated Mac: %1</translation>
    </message>
    <message>
        <source>这不是你自己的电脑：诊断与修复都在模拟的 Mac（场景 %1）上进行。</source>
        <translation>This is not your own computer: checks and repairs run on a simulated Mac (scenario %1).</translation>
    </message>
</context>
<context>
    <name>brevik::HistoryDialog</name>
    <message>
        <source>修复记录</source>
        <translation>Repair history</translation>
    </message>
    <message>
        <source>还没有修复记录。</source>
        <translation>No repairs yet.</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Brevik 对这台 Mac 做过的每一项修改都记在这里。撤销会把设置改回修复前的值；续订 DHCP、刷新 DNS 缓存这类一次性操作无法撤销，撤销时会一一列出。</source>
        <translation>Every change Brevik made to this Mac is recorded here. Undo puts the settings back to their values from before the repair; one-time actions such as renewing DHCP or flushing the DNS cache cannot be undone, and an undo lists each of them.</translation>
    </message>
    <message>
        <source>已撤销</source>
        <translation>Undone</translation>
    </message>
    <message>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>把这次修复改动的设置改回修复前的值</source>
        <translation>Put the settings this repair changed back to their values from before it</translation>
    </message>
    <message>
        <source>设置已被改动</source>
        <translation>Settings changed since</translation>
    </message>
    <message>
        <source>以下设置在 #%1 这次修复之后又被改动过：
· %2

仍要把它们改回修复前的值吗？</source>
        <translation>These settings were changed again after repair #%1:
· %2

Put them back to their values from before the repair anyway?</translation>
    </message>
    <message>
        <source>改回修复前的值</source>
        <translation>Put back earlier values</translation>
    </message>
    <message>
        <source>保留现在的设置</source>
        <translation>Keep current settings</translation>
    </message>
    <message>
        <source>撤销上次修复</source>
        <translation>Undo last repair</translation>
    </message>
    <message>
        <source>修复记录…</source>
        <translation>Repair history…</translation>
    </message>
</context>
<context>
    <name>brevik::InternetBanner</name>
    <message>
        <source>部分修复未成功，%1</source>
        <translation>Some repairs failed — %1</translation>
    </message>
    <message>
        <source>修复未成功，%1</source>
        <translation>Repair failed — %1</translation>
    </message>
    <message>
        <source>修复已取消，%1</source>
        <translation>Repair cancelled — %1</translation>
    </message>
    <message>
        <source>正在实测能否上网…</source>
        <translation>Testing internet access…</translation>
    </message>
    <message>
        <source>正在用 %1 发起一次真实搜索访问请求，请稍候…</source>
        <translation>Sending a real search request to %1, please wait…</translation>
    </message>
    <message>
        <source>尚未做上网实测</source>
        <translation>Internet access not tested yet</translation>
    </message>
    <message>
        <source>点右侧「重新测试」立即验证一次端到端上网能力。</source>
        <translation>Click “Test again” on the right to check end-to-end internet access now.</translation>
    </message>
    <message>
        <source>上网测试未通过</source>
        <translation>Internet test failed</translation>
    </message>
    <message>
        <source>修复完成：现在可以正常上网</source>
        <translation>Repaired: internet access works now</translation>
    </message>
    <message>
        <source>可以正常上网</source>
        <translation>Internet access works</translation>
    </message>
    <message>
        <source>用 %1 做一次真实搜索访问测试</source>
        <translation>Send a real search request to %1</translation>
    </message>
    <message>
        <source>正在实测能否上网</source>
        <translation>Testing internet access</translation>
    </message>
    <message>
        <source>测试中…</source>
        <translation>Testing…</translation>
    </message>
    <message>
        <source>重新测试</source>
        <translation>Test again</translation>
    </message>
    <message>
        <source>如何恢复</source>
        <translation>How to recover</translation>
    </message>
    <message>
        <source>这几项可以先放一放</source>
        <translation>These can wait</translation>
    </message>
    <message>
        <source>、</source>
        <comment>between the named items</comment>
        <translation>, </translation>
    </message>
    <message numerus="yes">
        <source>网络已经通了，下面 %n 项属于可修可不修的优化项，不影响上网：%1 等</source>
        <translation>
            <numerusform>You are online. %n optional improvement does not affect internet access: %1 and others</numerusform>
            <numerusform>You are online. %n optional improvements do not affect internet access: %1 and others</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>网络已经通了，下面 %n 项属于可修可不修的优化项，不影响上网：%1</source>
        <translation>
            <numerusform>You are online. %n optional improvement does not affect internet access: %1</numerusform>
            <numerusform>You are online. %n optional improvements do not affect internet access: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>上网实测</source>
        <translation>Internet test</translation>
    </message>
    <message>
        <source>浏览器、Velden Studio 等应用会把请求交给系统代理 %1，而它现在无法使用。%2</source>
        <comment>then how to recover</comment>
        <translation>Browsers, Velden Studio and other apps hand their requests to the system proxy %1, which cannot be used right now. %2</translation>
    </message>
</context>
<context>
    <name>brevik::StatusDot</name>
    <message>
        <source>开</source>
        <translation>on</translation>
    </message>
    <message>
        <source>关</source>
        <translation>off</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <comment>a lamp&apos;s label, then its state</comment>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>brevik::StatusSign</name>
    <message>
        <source>成功</source>
        <translation>Succeeded</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>注意</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>等待中</source>
        <translation>Waiting</translation>
    </message>
</context>
</TS>
