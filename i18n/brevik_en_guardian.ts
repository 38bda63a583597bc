<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>GuardBackoff</name>
    <message numerus="yes">
        <source>10 分钟内已自动关闭 %n 次，它仍被写回——多半是代理软件在反复设置它。请退出或修好这个代理软件</source>
        <translation>
            <numerusform>Switched it off %n time within 10 minutes and it keeps coming back: most likely a proxy client keeps setting it. Quit or fix that proxy client</numerusform>
            <numerusform>Switched it off %n times within 10 minutes and it keeps coming back: most likely a proxy client keeps setting it. Quit or fix that proxy client</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>连续 %n 次自动关闭都没有生效。请在窗口中点「立即修复」手动处理</source>
        <translation>
            <numerusform>Switching it off failed %n time in a row. Click “Repair now” in the window to repair it yourself</numerusform>
            <numerusform>Switching it off failed %n times in a row. Click “Repair now” in the window to repair it yourself</numerusform>
        </translation>
    </message>
    <message>
        <source>⏸ 守护已暂停处理残留代理 %1：%2；代理地址变化、10 分钟后或点「恢复守护」后会继续。</source>
        <translation>⏸ The guardian has stopped acting on the leftover proxy %1: %2. It acts again when the proxy address changes, after 10 minutes, or when you click “Resume guardian”.</translation>
    </message>
    <message>
        <source>⏸ 守护已暂停处理残留代理 %1</source>
        <translation>⏸ The guardian has stopped acting on the leftover proxy %1</translation>
    </message>
</context>
<context>
    <name>LaunchAgent</name>
    <message>
        <source>写入守护配置失败：%1</source>
        <translation>Could not write the guardian’s configuration: %1</translation>
    </message>
    <message>
        <source>⚠️ 后台守护需要重新安装：守护配置指向的程序已不存在或已被移动。</source>
        <translation>⚠️ The background guardian needs installing again: the program its configuration names is gone or was moved.</translation>
    </message>
    <message>
        <source>⚠️ 后台守护需要重新安装：launchd 没有在运行它。</source>
        <translation>⚠️ The background guardian needs installing again: launchd is not running it.</translation>
    </message>
    <message>
        <source>无法定位应用可执行文件路径</source>
        <translation>Cannot find the path of the application’s executable</translation>
    </message>
    <message>
        <source>程序或日志路径含有属性列表无法保存的控制字符</source>
        <translation>the program or log path holds control characters that a property list cannot store</translation>
    </message>
    <message>
        <source>无法使用日志目录 %1：它不是一个可写入的文件夹</source>
        <translation>Cannot use the log folder %1: it is not a folder that can be written to</translation>
    </message>
    <message>
        <source>启动守护失败：%1</source>
        <translation>Could not start the guardian: %1</translation>
    </message>
    <message>
        <source>launchd 没有接受守护任务</source>
        <translation>launchd did not accept the guardian’s job</translation>
    </message>
    <message>
        <source>[后台守护] 已安装 LaunchAgent（每 5 秒检查一次）</source>
        <translation>[Background guardian] LaunchAgent installed (checks every 5 seconds)</translation>
    </message>
    <message>
        <source>后台守护已安装：即使本工具关闭，也会每 5 秒自动检测并修复代理残留断网。</source>
        <translation>Background guardian installed: even with Brevik closed, every 5 seconds it looks for a leftover proxy cutting the Mac off, and repairs it.</translation>
    </message>
    <message>
        <source>后台守护未安装，无需卸载。</source>
        <translation>The background guardian is not installed; nothing to remove.</translation>
    </message>
    <message>
        <source>无法删除守护配置 %1</source>
        <translation>Cannot delete the guardian’s configuration %1</translation>
    </message>
    <message>
        <source>[后台守护] 已卸载</source>
        <translation>[Background guardian] Removed</translation>
    </message>
    <message>
        <source>后台守护已卸载。</source>
        <translation>Background guardian removed.</translation>
    </message>
</context>
<context>
    <name>ProxyGuardian</name>
    <message>
        <source>系统代理已关闭（直连）——关闭或打开 ClashX 都不会影响上网</source>
        <translation>System proxy off (direct connection): quitting or opening ClashX does not affect the internet</translation>
    </message>
    <message>
        <source>系统代理已开启但未取到端口，守护暂不处理</source>
        <translation>System proxy on but without a port: the guardian leaves it alone for now</translation>
    </message>
    <message>
        <source>代理链路正常（%1 正在监听）</source>
        <translation>Proxy path works (%1 is listening)</translation>
    </message>
    <message>
        <source>代理软件运行中、端口尚未就绪——守护暂不处理，避免误关</source>
        <translation>Proxy client running, its port not ready yet: the guardian waits rather than switch it off by mistake</translation>
    </message>
    <message>
        <source>系统代理指向其他主机 %1（无法连接）——不是本机残留，守护不会关闭它</source>
        <translation>System proxy points at another host, %1 (unreachable): not left over by this Mac, so the guardian does not switch it off</translation>
    </message>
    <message>
        <source>⚠️ 发现残留代理 %1（无人监听）——确认中…</source>
        <translation>⚠️ Leftover proxy %1 found (nothing listening): confirming…</translation>
    </message>
    <message>
        <source>[守护] 已按用户要求恢复处理 %1</source>
        <translation>[Guardian] Acting on %1 again, as asked</translation>
    </message>
    <message>
        <source>⚠️ 发现残留代理 %1（无人监听）——已暂停自动修复</source>
        <translation>⚠️ Leftover proxy %1 found (nothing listening): automatic repair is paused</translation>
    </message>
    <message>
        <source>未找到网络服务，无法自动修复</source>
        <translation>No network service found: cannot repair automatically</translation>
    </message>
    <message>
        <source>自动关闭残留系统代理 %1</source>
        <translation>Switch off the leftover system proxy %1 automatically</translation>
    </message>
    <message>
        <source>✅ 已自动修复：系统代理残留（%1）已关闭，网络恢复直连</source>
        <translation>✅ Repaired automatically: the leftover system proxy (%1) is off, the Mac connects directly again</translation>
    </message>
    <message>
        <source>❌ 自动修复失败，请点击「立即修复」手动处理</source>
        <translation>❌ Automatic repair failed; click “Repair now” to repair it yourself</translation>
    </message>
    <message>
        <source>[暂停] %1</source>
        <translation>[Paused] %1</translation>
    </message>
    <message>
        <source>[失败] 尝试关闭残留代理未生效</source>
        <translation>[Failed] Switching off the leftover proxy did not take effect</translation>
    </message>
    <message>
        <source>[自动修复] 关闭残留系统代理 %1（服务：%2）</source>
        <translation>[Auto-repair] Switched off the leftover system proxy %1 (services: %2)</translation>
    </message>
    <message>
        <source>、</source>
        <comment>between names in a list</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>尚未检测</source>
        <translation>Not checked yet</translation>
    </message>
</context>
</TS>
