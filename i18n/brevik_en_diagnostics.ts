<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CheckAi</name>
    <message>
        <source>GLM 智谱</source>
        <translation>GLM (Zhipu)</translation>
    </message>
    <message>
        <source>GLM-4 / 智谱开放平台</source>
        <translation>GLM-4 / Zhipu Open Platform</translation>
    </message>
    <message>
        <source>模型下载</source>
        <translation>Model downloads</translation>
    </message>
    <message>
        <source>%1：直连 %2｜代理 %3</source>
        <comment>an AI service: direct, through the proxy</comment>
        <translation>%1: direct %2 | proxy %3</translation>
    </message>
    <message>
        <source>AI 服务连通正常</source>
        <translation>AI services are reachable</translation>
    </message>
    <message>
        <source>直连与代理均可用：
%1</source>
        <translation>Reachable both directly and through the proxy:
%1</translation>
    </message>
    <message>
        <source>AI 服务可直连（代理不可用）</source>
        <translation>AI services reachable directly (proxy not working)</translation>
    </message>
    <message>
        <source>直连正常，但通过代理访问失败：
%1

提示：部分服务直连可用，Claude/Gemini 等通常仍需代理。</source>
        <translation>Direct access works, but access through the proxy fails:
%1

Tip: some services work directly; Claude, Gemini and others usually still need a proxy.</translation>
    </message>
    <message>
        <source>如遇 Claude / Gemini 打不开，请检查 ClashX 节点</source>
        <translation>If Claude or Gemini won&apos;t open, check the ClashX node</translation>
    </message>
    <message>
        <source>AI 服务需经代理访问（当前代理可用）</source>
        <translation>AI services need the proxy (the proxy works now)</translation>
    </message>
    <message>
        <source>直连全部失败，通过代理可正常访问：
%1

⚠️ 注意：这就是「关掉 ClashX 就不能上网」的连带原因——代理一旦退出，请务必同时关闭系统代理，否则整机断网（本工具可一键处理）。</source>
        <translation>Every direct attempt failed; through the proxy they work:
%1

⚠️ Note: this is why “quitting ClashX cuts off the internet”. Once the proxy quits, be sure to turn off the system proxy too, or the whole Mac goes offline (Brevik does this in one click).</translation>
    </message>
    <message>
        <source>保持 ClashX 运行即可；若需关闭 ClashX，请先点「一键关闭系统代理」或直接使用上方代理故障修复。</source>
        <translation>Just keep ClashX running. To quit ClashX, first click “Turn off system proxy”, or use the proxy repair above.</translation>
    </message>
    <message>
        <source>ClashX 常驻菜单栏</source>
        <translation>Keep ClashX in the menu bar</translation>
    </message>
    <message>
        <source>关闭 ClashX 前先在 ClashX 菜单取消「设置为系统代理」</source>
        <translation>Before quitting ClashX, uncheck “Set as System Proxy” in its menu</translation>
    </message>
    <message>
        <source>或使用本工具的「一键关闭系统代理」</source>
        <translation>Or use Brevik&apos;s “Turn off system proxy”</translation>
    </message>
    <message>
        <source>AI 服务全部无法访问</source>
        <translation>No AI service is reachable</translation>
    </message>
    <message>
        <source>直连与代理两种方式都失败：
%1

说明底层网络或代理链路本身有问题（先解决上面的连接 / 代理故障）。</source>
        <translation>Both direct and proxy access failed:
%1

The network itself or the proxy chain has a problem (fix the connection or proxy problems above first).</translation>
    </message>
    <message>
        <source>先修复基础网络与代理问题，再重新扫描。</source>
        <translation>Fix the basic network and proxy problems first, then scan again.</translation>
    </message>
    <message>
        <source>确认 ClashX 已启动且节点可用</source>
        <translation>Make sure ClashX is running and its node works</translation>
    </message>
    <message>
        <source>ClashX 菜单 → 重新设置系统代理</source>
        <translation>ClashX menu → set the system proxy again</translation>
    </message>
    <message>
        <source>必要时更换代理节点/订阅</source>
        <translation>If needed, switch to another proxy node or subscription</translation>
    </message>
</context>
<context>
    <name>CheckDns</name>
    <message>
        <source>；</source>
        <comment>between the items of a list</comment>
        <translation>; </translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <comment>servers (interface)</comment>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>所有域名先问 %1</source>
        <translation>all names go first to %1</translation>
    </message>
    <message>
        <source>DNS 服务器：%1</source>
        <translation>DNS servers: %1</translation>
    </message>
    <message>
        <source>分流解析：%1</source>
        <translation>Split DNS: %1</translation>
    </message>
    <message>
        <source>系统未配置 DNS 服务器</source>
        <translation>No DNS server configured</translation>
    </message>
    <message>
        <source>没有 DNS 就无法把域名翻译成 IP，浏览器会提示「找不到服务器」。</source>
        <translation>Without DNS, names can&apos;t be turned into IP addresses, and browsers say “Server not found”.</translation>
    </message>
    <message>
        <source>为当前服务设置公共 DNS（阿里 223.5.5.5 / 腾讯 119.29.29.29）。</source>
        <translation>Set public DNS for the current service (Alibaba 223.5.5.5 / Tencent 119.29.29.29).</translation>
    </message>
    <message>
        <source>设置公共 DNS</source>
        <translation>Set public DNS</translation>
    </message>
    <message>
        <source>已设置公共 DNS</source>
        <translation>Public DNS set</translation>
    </message>
    <message>
        <source>只有 VPN 提供 DNS（%1）</source>
        <translation>Only the VPN provides DNS (%1)</translation>
    </message>
    <message>
        <source>系统自己的默认解析器没有 DNS 服务器，域名现在全靠 VPN 的 DNS 解析：%1。
VPN 一断开，所有域名都会解析失败，浏览器会提示「找不到服务器」。</source>
        <translation>The Mac&apos;s own default resolver has no DNS server; only the VPN&apos;s DNS resolves names now: %1.
Once the VPN disconnects, no name will resolve and browsers will say “Server not found”.</translation>
    </message>
    <message>
        <source>为当前服务设置公共 DNS（阿里 223.5.5.5 / 腾讯 119.29.29.29），VPN 断开后也能解析域名。</source>
        <translation>Set public DNS for the current service (Alibaba 223.5.5.5 / Tencent 119.29.29.29), so names still resolve after the VPN disconnects.</translation>
    </message>
    <message>
        <source>DNS 配置正常</source>
        <translation>DNS settings OK</translation>
    </message>
    <message>
        <source>域名解析失败（%1）</source>
        <translation>Name lookup failed (%1)</translation>
    </message>
    <message>
        <source>DNS 查询没有返回结果。当前 DNS：%1</source>
        <translation>The DNS query returned nothing. Current DNS: %1</translation>
    </message>
    <message>
        <source>无</source>
        <comment>no DNS servers</comment>
        <translation>none</translation>
    </message>
    <message>
        <source>刷新 DNS 缓存并改用公共 DNS，可解决绝大多数「网页打不开但能 ping 通」的问题。</source>
        <translation>Flush the DNS cache and switch to public DNS: this fixes most cases of “pages won&apos;t load, but ping works”.</translation>
    </message>
    <message>
        <source>刷新缓存 + 改用公共 DNS</source>
        <translation>Flush cache + use public DNS</translation>
    </message>
    <message>
        <source>DNS 缓存已刷新并设置公共 DNS</source>
        <translation>DNS cache flushed and public DNS set</translation>
    </message>
    <message>
        <source>域名解析正常</source>
        <translation>Name lookup OK</translation>
    </message>
    <message>
        <source>检测到 DNS 污染 / 屏蔽</source>
        <translation>DNS poisoning or blocking detected</translation>
    </message>
    <message>
        <source>以下 AI 域名被解析到无效地址：
%1</source>
        <translation>These AI domains resolve to invalid addresses:
%1</translation>
    </message>
    <message>
        <source>改用加密或公共 DNS，并确保通过 ClashX 等代理访问 AI 服务。</source>
        <translation>Switch to encrypted or public DNS, and reach AI services through a proxy such as ClashX.</translation>
    </message>
    <message>
        <source>改用公共 DNS + 刷新缓存</source>
        <translation>Use public DNS + flush cache</translation>
    </message>
    <message>
        <source>已切换公共 DNS 并刷新缓存</source>
        <translation>Switched to public DNS and flushed the cache</translation>
    </message>
</context>
<context>
    <name>CheckGateway</name>
    <message>
        <source>默认路由走 VPN（%1）</source>
        <translation>Default route goes through the VPN (%1)</translation>
    </message>
    <message>
        <source>系统默认路由经由 VPN 隧道 %1，路由表里找不到它下面的本地路由器，因此没有探测路由器；外网能否连通见下一项检查。</source>
        <translation>The default route goes through the VPN tunnel %1. The routing table shows no local router beneath it, so no router was probed; the next check tells whether the internet is reachable.</translation>
    </message>
    <message>
        <source>没有默认网关</source>
        <translation>No default gateway</translation>
    </message>
    <message>
        <source>系统路由表缺少默认网关，无法与局域网外通信。</source>
        <translation>The routing table has no default gateway, so nothing beyond the local network can be reached.</translation>
    </message>
    <message>
        <source>续订 DHCP 重新获取路由配置；若无效请重启路由器。</source>
        <translation>Renew DHCP to get the routing settings again; if that doesn&apos;t help, restart the router.</translation>
    </message>
    <message>
        <source>已重新获取网络配置</source>
        <translation>Network settings obtained again</translation>
    </message>
    <message>
        <source>默认路由走 VPN 隧道 %1；这里探测的是 %2 上的本地路由器。</source>
        <translation>The default route goes through the VPN tunnel %1; this probed the local router on %2.</translation>
    </message>
    <message>
        <source>无法连通路由器（网关 %1）</source>
        <translation>Can&apos;t reach the router (gateway %1)</translation>
    </message>
    <message>
        <source>网关完全无响应，丢包 100%。可能是路由器故障、网线松动或 Wi-Fi 信号太弱。</source>
        <translation>The gateway doesn&apos;t respond at all (100% packet loss). The router may be faulty, a cable loose, or the Wi-Fi signal too weak.</translation>
    </message>
    <message>
        <source>重置网络接口（相当于重插网线）；若仍不通请重启路由器与光猫。</source>
        <translation>Reset the network interface (like plugging the cable in again); if it still fails, restart the router and modem.</translation>
    </message>
    <message>
        <source>重启路由器 / 光猫，等待 1 分钟</source>
        <translation>Restart the router / modem and wait 1 minute</translation>
    </message>
    <message>
        <source>靠近路由器或改用网线后重新扫描</source>
        <translation>Move closer to the router or use a cable, then scan again</translation>
    </message>
    <message>
        <source>重置网络接口</source>
        <translation>Reset network interface</translation>
    </message>
    <message>
        <source>网络接口已重置</source>
        <translation>Network interface reset</translation>
    </message>
    <message>
        <source>路由器可达（仅 ICMP 被过滤）</source>
        <translation>Router reachable (only ICMP filtered)</translation>
    </message>
    <message>
        <source>网关 %1 （ARP/TCP 探测确认路由器在线）。路由器或代理软件屏蔽了 ping 包，这不影响正常上网。</source>
        <translation>Gateway %1 (ARP/TCP probes confirm the router is online). The router or proxy software blocks ping; this doesn&apos;t affect normal use.</translation>
    </message>
    <message>
        <source>到路由器的丢包率偏高（%1%）</source>
        <translation>High packet loss to the router (%1%)</translation>
    </message>
    <message>
        <source>网关 %1 可达，平均延迟 %2，但丢包 %3%——Wi-Fi 信号弱、干扰或路由器负载高。</source>
        <translation>Gateway %1 is reachable, average latency %2, but with %3% packet loss: a weak Wi-Fi signal, interference or a busy router.</translation>
    </message>
    <message>
        <source>重启 Wi-Fi 接口；长期如此建议改用 5GHz 频段或网线。</source>
        <translation>Restart the Wi-Fi interface; if this persists, use the 5 GHz band or a cable.</translation>
    </message>
    <message>
        <source>靠近路由器；避开微波炉、蓝牙设备</source>
        <translation>Move closer to the router; keep away from microwaves and Bluetooth devices</translation>
    </message>
    <message>
        <source>在「系统设置 → Wi-Fi → 高级」中切换 5GHz</source>
        <translation>Switch to 5 GHz in “System Settings → Wi-Fi → Advanced”</translation>
    </message>
    <message>
        <source>重启 Wi-Fi 接口</source>
        <translation>Restart Wi-Fi interface</translation>
    </message>
    <message>
        <source>Wi-Fi 接口已重启</source>
        <translation>Wi-Fi interface restarted</translation>
    </message>
    <message>
        <source>路由器连通正常</source>
        <translation>Router reachable</translation>
    </message>
    <message>
        <source>网关 %1 可达，丢包 %2%，平均延迟 %3</source>
        <translation>Gateway %1 is reachable, %2% packet loss, average latency %3</translation>
    </message>
</context>
<context>
    <name>CheckHosts</name>
    <message>
        <source>/etc/hosts 存在劫持 AI 域名或黑洞地址的条目</source>
        <translation>/etc/hosts has entries that hijack AI domains or point to black-hole addresses</translation>
    </message>
    <message>
        <source>以下域名被本地 hosts 指向无效/固定地址，会导致网站或 AI 服务打不开：
%1</source>
        <translation>The local hosts file points these names to invalid or fixed addresses, so websites or AI services won&apos;t open:
%1</translation>
    </message>
    <message>
        <source>先备份 /etc/hosts，再自动注释掉可疑行（原文件保存为 /etc/hosts.brevik.bak）。</source>
        <translation>Back up /etc/hosts, then comment out the suspicious lines (the original is saved as /etc/hosts.brevik.bak).</translation>
    </message>
    <message>
        <source>注释可疑条目（自动备份）</source>
        <translation>Comment out suspicious entries (with backup)</translation>
    </message>
    <message>
        <source>已注释可疑条目并刷新 DNS 缓存（备份：/etc/hosts.brevik.bak）</source>
        <translation>Suspicious entries commented out and DNS cache flushed (backup: /etc/hosts.brevik.bak)</translation>
    </message>
    <message>
        <source>/etc/hosts 有自定义条目（通常无害）</source>
        <translation>/etc/hosts has custom entries (usually harmless)</translation>
    </message>
    <message>
        <source>未发现劫持 AI 域名或黑洞地址的条目。以下自定义映射供参考：
%1

提示：若某个网站打不开，可尝试注释对应条目。</source>
        <translation>No entry hijacks AI domains or points to a black-hole address. Custom mappings, for reference:
%1

Tip: if a website won&apos;t open, try commenting out its entry.</translation>
    </message>
    <message>
        <source>/etc/hosts 正常</source>
        <translation>/etc/hosts OK</translation>
    </message>
    <message>
        <source>没有发现针对常见域名或 AI 域名的劫持条目</source>
        <translation>No entry hijacks common or AI domains</translation>
    </message>
    <message>
        <source>终端代理环境变量正常</source>
        <translation>Terminal proxy variables OK</translation>
    </message>
    <message>
        <source>未发现指向失效端口的代理环境变量</source>
        <translation>No proxy variable points to a dead port</translation>
    </message>
    <message>
        <source>Shell 配置里的代理环境变量可能已失效</source>
        <translation>Proxy variables in shell settings may be stale</translation>
    </message>
    <message>
        <source>以下配置把代理写死在终端环境里，端口 %1 当前无人监听，会导致终端里的 AI CLI 工具（claude / codex 等）连不上：
%2</source>
        <translation>These lines fix a proxy in the Terminal environment, but nothing listens on port %1 now, so AI command-line tools in Terminal (claude / codex and others) can&apos;t connect:
%2</translation>
    </message>
    <message>
        <source>自动注释这些行并备份原文件（.brevik.bak）。若你需要长期使用代理，可改为手动在需要时 export。</source>
        <translation>Comment out these lines and back up the files (.brevik.bak). If you use a proxy regularly, export it by hand when you need it instead.</translation>
    </message>
    <message>
        <source>注释失效的代理变量（自动备份）</source>
        <translation>Comment out stale proxy variables (with backup)</translation>
    </message>
    <message>
        <source>已注释失效的代理环境变量（原文件已备份）</source>
        <translation>Stale proxy variables commented out (originals backed up)</translation>
    </message>
</context>
<context>
    <name>CheckHttps</name>
    <message>
        <source>HTTPS 访问正常</source>
        <translation>HTTPS works</translation>
    </message>
    <message>
        <source>%1 响应正常（%2 ms）</source>
        <translation>%1 responded normally (%2 ms)</translation>
    </message>
    <message>
        <source>HTTPS 访问失败（curl 无响应）</source>
        <translation>HTTPS fails (no response to curl)</translation>
    </message>
    <message>
        <source>底层网络可达，但访问 %1 失败。常见原因：代理残留、VPN 异常、系统时间错误导致证书校验失败。</source>
        <translation>The network is reachable, but %1 failed. Common causes: a leftover proxy, a misbehaving VPN, or a wrong system clock that fails certificate checks.</translation>
    </message>
    <message>
        <source>检查系统代理是否指向已关闭的代理软件；确认时间自动同步。</source>
        <translation>Check whether the system proxy points to proxy software that has quit; make sure the time is set automatically.</translation>
    </message>
    <message>
        <source>系统设置 → 通用 → 日期与时间 → 打开「自动设置」</source>
        <translation>System Settings → General → Date &amp; Time → turn on “Set time and date automatically”</translation>
    </message>
    <message>
        <source>检查是否有残留代理：本工具「代理 / 科学上网」一栏</source>
        <translation>Check for a leftover proxy: see the “Proxy” section of Brevik</translation>
    </message>
    <message>
        <source>系统时间正确</source>
        <translation>System clock correct</translation>
    </message>
    <message>
        <source>与网络时间偏差在允许范围内</source>
        <translation>Within tolerance of network time</translation>
    </message>
    <message>
        <source>系统时间偏差 %1 秒（会打断 HTTPS）</source>
        <translation>System clock off by %1 seconds (breaks HTTPS)</translation>
    </message>
    <message>
        <source>本机时间与网络时间相差 %1 秒。时间错误会导致 TLS 证书验证失败，表现为「所有 HTTPS 网站都打不开」。</source>
        <translation>This Mac&apos;s clock differs from network time by %1 seconds. A wrong clock fails TLS certificate checks, so “no HTTPS website opens”.</translation>
    </message>
    <message>
        <source>打开网络时间自动同步：%1</source>
        <translation>Turn on automatic network time: %1</translation>
    </message>
    <message>
        <source>开启网络时间同步</source>
        <translation>Turn on network time</translation>
    </message>
    <message>
        <source>已开启网络时间自动同步</source>
        <translation>Automatic network time turned on</translation>
    </message>
    <message>
        <source>疑似需要网页认证的 Wi-Fi（强制门户）</source>
        <translation>Wi-Fi seems to need a web login (captive portal)</translation>
    </message>
    <message>
        <source>检测到网络被强制门户拦截（常见于酒店、机场、商场 Wi-Fi），需要先在浏览器中完成登录。</source>
        <translation>A captive portal is intercepting the network (common on hotel, airport and mall Wi-Fi); sign in with a browser first.</translation>
    </message>
    <message>
        <source>打开浏览器访问任意网站</source>
        <translation>Open a browser and visit any website</translation>
    </message>
    <message>
        <source>在跳转的认证页面输入账号或勾选同意</source>
        <translation>On the login page that appears, sign in or accept the terms</translation>
    </message>
    <message>
        <source>认证完成后回到本工具重新扫描</source>
        <translation>Once signed in, come back to Brevik and scan again</translation>
    </message>
</context>
<context>
    <name>CheckInterface</name>
    <message>
        <source>未检测到任何活动的网络连接</source>
        <translation>No active network connection</translation>
    </message>
    <message>
        <source>系统当前没有处于连接状态的网络接口：Wi-Fi 未连接、也没有插网线。</source>
        <translation>No network interface is connected: Wi-Fi isn&apos;t connected and no cable is plugged in.</translation>
    </message>
    <message>
        <source>先打开 Wi-Fi 电源；若仍无法连接，请点击菜单栏 Wi-Fi 图标选择你的网络，或插上网线后重新扫描。</source>
        <translation>Turn Wi-Fi on first; if it still doesn&apos;t connect, choose your network from the Wi-Fi icon in the menu bar, or plug in a cable and scan again.</translation>
    </message>
    <message>
        <source>点击屏幕右上角 Wi-Fi 图标 → 打开 Wi-Fi</source>
        <translation>Click the Wi-Fi icon at the top right of the screen → turn Wi-Fi on</translation>
    </message>
    <message>
        <source>选择你的网络并输入密码</source>
        <translation>Choose your network and enter its password</translation>
    </message>
    <message>
        <source>打开 Wi-Fi 电源</source>
        <translation>Turn Wi-Fi on</translation>
    </message>
    <message>
        <source>Wi-Fi 电源已打开</source>
        <translation>Wi-Fi turned on</translation>
    </message>
    <message>
        <source>接口 %1 已连接但没有 IP 地址</source>
        <translation>Interface %1 is connected but has no IP address</translation>
    </message>
    <message>
        <source>DHCP 没有拿到地址，通常表现为「已连接但无法上网」。</source>
        <translation>DHCP gave no address; this usually shows as “connected, but no internet”.</translation>
    </message>
    <message>
        <source>续订 DHCP 租约，重新向路由器申请 IP。若仍失败，请重启路由器。</source>
        <translation>Renew the DHCP lease to ask the router for an IP address again. If it still fails, restart the router.</translation>
    </message>
    <message>
        <source>已重新申请 IP 地址</source>
        <translation>IP address requested again</translation>
    </message>
    <message>
        <source>拿到的是自动私有地址 169.254.x.x</source>
        <translation>Got a self-assigned address 169.254.x.x</translation>
    </message>
    <message>
        <source>当前 IP：%1。这是 DHCP 失败后系统自己编的地址，无法上网。</source>
        <translation>Current IP: %1. The Mac made this address up after DHCP failed; it can&apos;t reach the internet.</translation>
    </message>
    <message>
        <source>续订 DHCP；若无效说明路由器 DHCP 异常或 Wi-Fi 密码/信号有问题。</source>
        <translation>Renew DHCP; if that doesn&apos;t help, the router&apos;s DHCP is failing or the Wi-Fi password or signal has a problem.</translation>
    </message>
    <message>
        <source>活动接口：%1（%2）
本机 IP：%3</source>
        <translation>Active interface: %1 (%2)
IP address: %3</translation>
    </message>
    <message>
        <source>网关：%1</source>
        <translation>Gateway: %1</translation>
    </message>
    <message>
        <source>网络接口正常</source>
        <translation>Network interface OK</translation>
    </message>
</context>
<context>
    <name>CheckInternet</name>
    <message>
        <source>无法访问互联网（公网 IP 不通）</source>
        <translation>No internet access (public IPs unreachable)</translation>
    </message>
    <message>
        <source>本地网络可达，但 ping 公网 IP 全部失败。问题在路由器、光猫、宽带线路或运营商侧。</source>
        <translation>The local network is reachable, but every ping to a public IP failed. The problem lies with the router, the modem, the broadband line or the provider.</translation>
    </message>
    <message>
        <source>先续订 DHCP + 重置网络接口；若无效请重启光猫/路由器，检查宽带是否欠费。</source>
        <translation>Renew DHCP and reset the network interface first; if that doesn&apos;t help, restart the modem/router and check that the broadband bill is paid.</translation>
    </message>
    <message>
        <source>重启光猫与路由器（断电 30 秒）</source>
        <translation>Restart the modem and router (unplug for 30 seconds)</translation>
    </message>
    <message>
        <source>检查宽带账号是否欠费</source>
        <translation>Check that the broadband account is paid up</translation>
    </message>
    <message>
        <source>拨打运营商客服报障</source>
        <translation>Call your provider to report the fault</translation>
    </message>
    <message>
        <source>续订 DHCP + 重置接口</source>
        <translation>Renew DHCP + reset interface</translation>
    </message>
    <message>
        <source>网络配置已刷新</source>
        <translation>Network settings refreshed</translation>
    </message>
    <message>
        <source>公网丢包率偏高（%1%）</source>
        <translation>High packet loss to the internet (%1%)</translation>
    </message>
    <message>
        <source>网络时通时断，音视频会议会卡顿。常见原因：Wi-Fi 信号弱、路由器过热、线路质量差。</source>
        <translation>The connection keeps dropping in and out, and calls will stutter. Common causes: a weak Wi-Fi signal, an overheated router, a poor line.</translation>
    </message>
    <message>
        <source>重启网络接口；持续存在请用网线直连测试，必要时找运营商检修线路。</source>
        <translation>Restart the network interface; if it persists, test with a cable, and if needed have your provider check the line.</translation>
    </message>
    <message>
        <source>重置网络接口</source>
        <translation>Reset network interface</translation>
    </message>
    <message>
        <source>网络接口已重置</source>
        <translation>Network interface reset</translation>
    </message>
    <message>
        <source>外网连通正常</source>
        <translation>Internet reachable</translation>
    </message>
    <message>
        <source>223.5.5.5 丢包 %1%，1.1.1.1 丢包 %2%</source>
        <translation>223.5.5.5: %1% packet loss; 1.1.1.1: %2% packet loss</translation>
    </message>
</context>
<context>
    <name>CheckProxy</name>
    <message>
        <source>、</source>
        <comment>between the items of a list</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>代理客户端</source>
        <translation>a proxy client</translation>
    </message>
    <message>
        <source>系统代理仍指向 %1</source>
        <translation>The system proxy still points to %1</translation>
    </message>
    <message>
        <source>自动代理(PAC)仍指向 %1</source>
        <translation>The automatic proxy (PAC) still points to %1</translation>
    </message>
    <message>
        <source>（未发现常见代理端口）</source>
        <translation>(no common proxy port found)</translation>
    </message>
    <message>
        <source>系统代理已关闭，且未检测到 ClashX 等代理客户端在运行，当前为直连状态。</source>
        <translation>The system proxy is off and no proxy client such as ClashX is running: the Mac connects directly.</translation>
    </message>
    <message>
        <source>（历史代理地址：%1）</source>
        <translation>(previous proxy address: %1)</translation>
    </message>
    <message>
        <source>系统代理已关闭（直连）</source>
        <translation>System proxy off (direct connection)</translation>
    </message>
    <message>
        <source>代理软件正在运行，但系统代理未开启</source>
        <translation>Proxy software is running, but the system proxy is off</translation>
    </message>
    <message>
        <source>检测到 %1 在运行，但系统代理是关闭的。
Claude、ChatGPT、Gemini 等服务的域名在直连下通常不可用，会出现「连不上 / 一直转圈」。
已在监听的本地端口：%2</source>
        <translation>Found %1 running, but the system proxy is off.
Services such as Claude, ChatGPT and Gemini are usually unavailable over a direct connection: they “can&apos;t connect” or “keep spinning”.
Local ports listening: %2</translation>
    </message>
    <message>
        <source>ClashX 菜单栏图标 → 勾选「设置为系统代理」</source>
        <translation>ClashX menu bar icon → check “Set as System Proxy”</translation>
    </message>
    <message>
        <source>确认 ClashX 的端口（默认 7890）</source>
        <translation>Check ClashX&apos;s port (7890 by default)</translation>
    </message>
    <message>
        <source>请在 ClashX 菜单中手动勾选「设置为系统代理」。</source>
        <translation>Check “Set as System Proxy” in the ClashX menu by hand.</translation>
    </message>
    <message>
        <source>一键让系统代理指向 ClashX，AI 工具即可正常访问。</source>
        <translation>Point the system proxy at ClashX in one click, and AI tools work again.</translation>
    </message>
    <message>
        <source>设置系统代理 → 127.0.0.1:%1</source>
        <translation>Set system proxy → 127.0.0.1:%1</translation>
    </message>
    <message>
        <source>系统代理已指向本地代理客户端</source>
        <translation>The system proxy now points to the local proxy client</translation>
    </message>
    <message>
        <source>一键关闭系统代理（立即恢复上网）</source>
        <translation>Turn off system proxy (back online now)</translation>
    </message>
    <message>
        <source>已关闭所有服务的系统代理，网络已恢复直连</source>
        <translation>System proxy turned off on every service; the Mac connects directly again</translation>
    </message>
    <message>
        <source>启用代理的服务：%1
代理类型：%2</source>
        <translation>Services with a proxy on: %1
Proxy types: %2</translation>
    </message>
    <message>
        <source>致命：系统代理指向已关闭的代理软件（整机断网）</source>
        <translation>Critical: the system proxy points to proxy software that has quit (the whole Mac is offline)</translation>
    </message>
    <message>
        <source>%1，但该端口没有任何程序在监听，代理软件也已退出。
这正是「关掉 ClashX 后所有 App 全部断网」的原因：浏览器 / Claude 客户端等都会把请求发给这个已经死掉的端口。
%2</source>
        <translation>%1, but nothing listens on that port and the proxy software has quit.
This is why “every app goes offline after quitting ClashX”: browsers, the Claude app and others send their requests to this dead port.
%2</translation>
    </message>
    <message>
        <source>一键关闭全部系统代理，网络立刻恢复（直连）。以后要用代理时先打开 ClashX，再让本工具开启系统代理即可。</source>
        <translation>Turn off every system proxy in one click and the network is back at once (direct). To use a proxy later, open ClashX first, then let Brevik turn the system proxy on.</translation>
    </message>
    <message>
        <source>系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭全部代理</source>
        <translation>System Settings → Network → current service → Details → Proxies → turn all proxies off</translation>
    </message>
    <message>
        <source>系统代理指向的 %1 端口</source>
        <comment>where the dead port is</comment>
        <translation>the system proxy&apos;s port %1</translation>
    </message>
    <message>
        <source>自动代理(PAC) %1 所在的 %2 端口</source>
        <comment>where the dead port is</comment>
        <translation>port %2 of the automatic proxy (PAC) %1</translation>
    </message>
    <message>
        <source>代理软件在运行，但端口 %1 无法连接</source>
        <translation>Proxy software is running, but port %1 can&apos;t be reached</translation>
    </message>
    <message>
        <source>检测到 %1 正在运行，但%2拒绝连接或未监听。
这种情况同样会导致断网。可能是代理尚未启动完成、配置端口不一致、或核心进程崩溃。</source>
        <translation>Found %1 running, but %2 refuses connections or isn&apos;t listening.
This cuts the Mac off just the same. The proxy may not have finished starting, its port may not match the settings, or its core process may have crashed.</translation>
    </message>
    <message>
        <source>临时关闭系统代理恢复上网；然后重启 ClashX（或在 ClashX 菜单里重新点「设置为系统代理」）。</source>
        <translation>Turn off the system proxy for now to get back online; then restart ClashX (or click “Set as System Proxy” again in the ClashX menu).</translation>
    </message>
    <message>
        <source>关闭系统代理（恢复上网）</source>
        <translation>Turn off system proxy (get back online)</translation>
    </message>
    <message>
        <source>已关闭系统代理</source>
        <translation>System proxy turned off</translation>
    </message>
    <message>
        <source>退出并重新打开 ClashX</source>
        <translation>Quit and reopen ClashX</translation>
    </message>
    <message>
        <source>ClashX 菜单 → 重新勾选「设置为系统代理」</source>
        <translation>ClashX menu → check “Set as System Proxy” again</translation>
    </message>
    <message>
        <source>确认 ClashX 的 HTTP 端口与系统代理端口一致</source>
        <translation>Make sure ClashX&apos;s HTTP port matches the system proxy&apos;s port</translation>
    </message>
    <message>
        <source>系统代理 %1 无法连接</source>
        <translation>System proxy %1 can&apos;t be reached</translation>
    </message>
    <message>
        <source>系统代理指向另一台主机 %1（例如公司的代理服务器），但现在连不上它，所有走系统代理的 App 都无法上网。
离开公司网络或 VPN 断开时常见；它不是本机代理软件的残留，后台守护不会自动关闭它。
%2</source>
        <translation>The system proxy points to another host, %1 (an office proxy server, say), but it can&apos;t be reached now, so every app that uses the system proxy is offline.
This is common away from the office network or when a VPN disconnects. It isn&apos;t left over from proxy software on this Mac, so the background guardian won&apos;t turn it off.
%2</translation>
    </message>
    <message>
        <source>暂时用不到这台代理服务器时，可一键关闭系统代理恢复直连；回到公司网络后需在系统设置里重新开启。</source>
        <translation>While you don&apos;t need this proxy server, turn off the system proxy in one click to connect directly; back on the office network, turn it on again in System Settings.</translation>
    </message>
    <message>
        <source>连上公司网络或 VPN 后重新扫描</source>
        <translation>Connect to the office network or VPN, then scan again</translation>
    </message>
    <message>
        <source>系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭无法连接的代理</source>
        <translation>System Settings → Network → current service → Details → Proxies → turn off the proxy that can&apos;t be reached</translation>
    </message>
    <message>
        <source>自动代理(PAC)地址无法访问</source>
        <translation>Automatic proxy (PAC) address unreachable</translation>
    </message>
    <message>
        <source>自动代理(PAC)指向 %1，但 %2 现在连不上。
它在另一台主机上（通常由公司或学校网络提供），离开该网络时常见；取不到 PAC 文件时，部分 App 可能变慢、报错或改走直连。
%3</source>
        <translation>The automatic proxy (PAC) points to %1, but %2 can&apos;t be reached now.
It lives on another host (usually provided by an office or school network), so this is common away from that network; without the PAC file some apps may slow down, show errors or connect directly.
%3</translation>
    </message>
    <message>
        <source>回到提供它的网络后会自动恢复；不再需要时，请在系统设置中关闭自动代理。</source>
        <translation>It recovers by itself back on the network that provides it; if you no longer need it, turn off the automatic proxy in System Settings.</translation>
    </message>
    <message>
        <source>系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭「自动代理配置」</source>
        <translation>System Settings → Network → current service → Details → Proxies → turn off “Automatic proxy configuration”</translation>
    </message>
    <message>
        <source>代理客户端：%1</source>
        <translation>Proxy client: %1</translation>
    </message>
    <message>
        <source>代理地址：%1（端口监听正常）</source>
        <translation>Proxy address: %1 (port listening)</translation>
    </message>
    <message>
        <source>自动代理(PAC)：%1（可以访问）</source>
        <translation>Automatic proxy (PAC): %1 (reachable)</translation>
    </message>
    <message>
        <source>启用服务：%1</source>
        <translation>Turned on for: %1</translation>
    </message>
    <message>
        <source>系统代理链路正常</source>
        <translation>System proxy works</translation>
    </message>
    <message>
        <source>（空）</source>
        <comment>no bypass entries</comment>
        <translation>(empty)</translation>
    </message>
    <message>
        <source>代理例外列表缺少本地地址</source>
        <translation>Proxy bypass list lacks local addresses</translation>
    </message>
    <message>
        <source>代理未排除 127.0.0.1 / localhost，本地服务（Docker、本地开发服务器、部分 AI 工具的回调）可能被错误代理导致连接失败。
当前例外：%1</source>
        <translation>The proxy doesn&apos;t bypass 127.0.0.1 / localhost, so local services (Docker, local development servers, callbacks of some AI tools) may be proxied by mistake and fail to connect.
Current bypass list: %1</translation>
    </message>
    <message>
        <source>补全本地地址例外列表，不影响正常上网。</source>
        <translation>Add the local addresses to the bypass list; browsing is not affected.</translation>
    </message>
    <message>
        <source>补全代理例外列表</source>
        <translation>Complete proxy bypass list</translation>
    </message>
    <message>
        <source>已补全本地地址例外</source>
        <translation>Local addresses added to the bypass list</translation>
    </message>
    <message>
        <source>提示：已停用的服务 %1 上仍开着代理；停用的服务不承载流量，重新启用它之前请先关闭它的代理。</source>
        <translation>Tip: a proxy is still on for the disabled service %1. A disabled service carries no traffic; turn its proxy off before you enable it again.</translation>
    </message>
</context>
<context>
    <name>CheckSystem</name>
    <message>
        <source>MTU 已设为 %1（适配当前线路）</source>
        <translation>MTU set to %1 (suits the current line)</translation>
    </message>
    <message>
        <source>当前接口 MTU 为 %1，已低于 1500，属于兼容大包问题的常见取值。部分网络会过滤大 ICMP 包，这不影响实际使用。</source>
        <translation>The current interface&apos;s MTU is %1, below 1500: a common value to work around large-packet problems. Some networks filter large ICMP packets; this doesn&apos;t affect actual use.</translation>
    </message>
    <message>
        <source>MTU 正常</source>
        <translation>MTU OK</translation>
    </message>
    <message>
        <source>1500 字节数据包可正常通过</source>
        <translation>1500-byte packets get through</translation>
    </message>
    <message>
        <source>网络过滤了大 ICMP 包（不影响使用）</source>
        <translation>The network filters large ICMP packets (no effect on use)</translation>
    </message>
    <message>
        <source>1500 字节的 ping 包被网络丢弃，但实测 400KB 数据下载正常（%1 KB），说明实际 MTU 没有问题，无需处理。</source>
        <translation>The network drops 1500-byte pings, but a 400KB test download worked (%1 KB), so the MTU is fine and nothing needs doing.</translation>
    </message>
    <message>
        <source>MTU 过大导致大包丢失（部分网站打不开）</source>
        <translation>MTU too large: big packets are lost (some websites won&apos;t open)</translation>
    </message>
    <message>
        <source>1500 字节的数据包无法通过，1400 字节可以。典型表现：能 ping 通但网页卡住、下载中断、SSH 卡死。常见于 PPPoE 宽带、VPN、部分路由器。</source>
        <translation>1500-byte packets don&apos;t get through; 1400-byte ones do. Typical signs: ping works but pages hang, downloads break off, SSH freezes. Common with PPPoE broadband, VPNs and some routers.</translation>
    </message>
    <message>
        <source>把当前接口 MTU 调小到 1400（可随时改回 1500）。</source>
        <translation>Lower the current interface&apos;s MTU to 1400 (you can change it back to 1500 at any time).</translation>
    </message>
    <message>
        <source>调整 MTU 为 1400</source>
        <translation>Set MTU to 1400</translation>
    </message>
    <message>
        <source>MTU 已调整为 1400</source>
        <translation>MTU set to 1400</translation>
    </message>
    <message>
        <source>网络阻塞严重（连 1400 字节包也不通）</source>
        <translation>Network badly congested (even 1400-byte packets fail)</translation>
    </message>
    <message>
        <source>大小数据包都不通，说明当前网络质量很差或存在链路故障。</source>
        <translation>Neither large nor small packets get through: the network is very poor or a link is faulty.</translation>
    </message>
    <message>
        <source>重启路由器</source>
        <translation>Restart the router</translation>
    </message>
    <message>
        <source>改用网线测试</source>
        <translation>Test with a cable</translation>
    </message>
    <message>
        <source>联系运营商检查线路</source>
        <translation>Ask your provider to check the line</translation>
    </message>
    <message>
        <source>IPv6 正常</source>
        <translation>IPv6 OK</translation>
    </message>
    <message>
        <source>IPv6 出口实测可用</source>
        <translation>IPv6 traffic gets out (tested)</translation>
    </message>
    <message>
        <source>IPv6 可能不可用（可选优化）</source>
        <translation>IPv6 may not work (optional tweak)</translation>
    </message>
    <message>
        <source>本机有全局 IPv6 地址，但 IPv6 出口实测不通。极少数应用会优先尝试 IPv6，可能造成「打开页面先卡一下」。若你上网正常，可忽略此项。</source>
        <translation>This Mac has a global IPv6 address, but IPv6 traffic doesn&apos;t get out. A few apps try IPv6 first, which can make “pages pause before loading”. If the internet works fine for you, ignore this.</translation>
    </message>
    <message>
        <source>如遇网页打开偏慢，可临时关闭当前服务的 IPv6。</source>
        <translation>If pages open slowly, turn off IPv6 for the current service for now.</translation>
    </message>
    <message>
        <source>关闭该服务的 IPv6</source>
        <translation>Turn off IPv6 for this service</translation>
    </message>
    <message>
        <source>已关闭 IPv6</source>
        <translation>IPv6 turned off</translation>
    </message>
    <message>
        <source>Wi-Fi 信号偏弱（%1 dBm）</source>
        <translation>Weak Wi-Fi signal (%1 dBm)</translation>
    </message>
    <message>
        <source>信号强度 %1 dBm（低于 -72 dBm 属于弱信号），容易出现丢包、掉线。
%2</source>
        <translation>Signal strength %1 dBm (below -72 dBm is weak): expect packet loss and dropouts.
%2</translation>
    </message>
    <message>
        <source>靠近路由器，减少隔墙</source>
        <translation>Move closer to the router, with fewer walls between</translation>
    </message>
    <message>
        <source>改用 5GHz 频段（近距离更稳）</source>
        <translation>Use the 5 GHz band (steadier at short range)</translation>
    </message>
    <message>
        <source>重启路由器或更换信道避免邻居干扰</source>
        <translation>Restart the router or change its channel to avoid the neighbors&apos; interference</translation>
    </message>
    <message>
        <source>Wi-Fi 信号良好</source>
        <translation>Good Wi-Fi signal</translation>
    </message>
    <message>
        <source>信号强度 %1 dBm</source>
        <translation>Signal strength %1 dBm</translation>
    </message>
    <message>
        <source>存在虚拟接口：%1</source>
        <translation>Virtual interfaces: %1</translation>
    </message>
    <message>
        <source>VPN 配置：
%1</source>
        <translation>VPN configurations:
%1</translation>
    </message>
    <message>
        <source>虚拟网络接口 / VPN 配置</source>
        <translation>Virtual network interfaces / VPN configurations</translation>
    </message>
    <message>
        <source>%1

提示：若 VPN 已断开但仍残留配置，可能造成部分网站无法访问或 DNS 异常。</source>
        <translation>%1

Tip: a VPN that has disconnected but left its configuration behind can make some websites unreachable or upset DNS.</translation>
    </message>
    <message>
        <source>系统设置 → 网络 → VPN → 断开并删除不用的配置</source>
        <translation>System Settings → Network → VPN → disconnect and remove unused configurations</translation>
    </message>
    <message>
        <source>重启电脑可清理残留的 utun 接口</source>
        <translation>Restarting the Mac clears leftover utun interfaces</translation>
    </message>
    <message>
        <source>网络服务顺序可能不是最优</source>
        <translation>Network service order may not be ideal</translation>
    </message>
    <message>
        <source>当前使用「%1」，但服务顺序里排在最前的是「%2」。
服务顺序靠前的接口会优先被系统尝试，顺序不合理时可能出现连上慢、偶发断网。</source>
        <translation>In use: “%1”, but first in the service order is “%2”.
The system tries services higher in the order first; a poor order can mean slow connections or occasional dropouts.</translation>
    </message>
    <message>
        <source>系统设置 → 网络 → 右下角「⋯」→ 设定服务顺序</source>
        <translation>System Settings → Network → “⋯” at the bottom right → Set Service Order</translation>
    </message>
    <message>
        <source>把常用的网络（如 Wi-Fi）拖到最上面</source>
        <translation>Drag the network you use most (such as Wi-Fi) to the top</translation>
    </message>
    <message>
        <source>系统防火墙状态</source>
        <translation>Firewall status</translation>
    </message>
    <message>
        <source>%1

提示：防火墙一般不会影响正常上网；若某些 App 完全无法联网，可在「系统设置 → 网络 → 防火墙 → 选项」中检查该 App 是否被阻止。</source>
        <translation>%1

Tip: the firewall doesn&apos;t usually get in the way; if an app can&apos;t connect at all, check in “System Settings → Network → Firewall → Options” whether it is blocked.</translation>
    </message>
</context>
<context>
    <name>CheckWebAccess</name>
    <message>
        <source>%1
浏览器、Velden Studio 等应用按系统设置把请求交给代理，现在仍然打不开网页；只有不走代理的程序能上网。</source>
        <translation>%1
Browsers, Velden Studio and other apps send their requests to the proxy, as the system settings say, and still can&apos;t open pages; only programs that bypass the proxy are online.</translation>
    </message>
    <message>
        <source>%1修复完成后会自动复测。</source>
        <translation>%1 Once repaired, the test runs again by itself.</translation>
    </message>
    <message>
        <source>系统设置 → 网络 → 当前服务 → 详细信息 → 代理 → 关闭全部代理</source>
        <translation>System Settings → Network → current service → Details → Proxies → turn all proxies off</translation>
    </message>
    <message>
        <source>或重新打开代理软件，确认它的端口与系统代理一致</source>
        <translation>Or reopen the proxy software and make sure its port matches the system proxy</translation>
    </message>
    <message>
        <source>点击本工具顶部的「重新测试」按钮复测</source>
        <translation>Click “Test again” at the top of Brevik to test once more</translation>
    </message>
    <message>
        <source>可以正常上网（端到端实测通过）</source>
        <translation>Online (end-to-end test passed)</translation>
    </message>
    <message>
        <source>%1
浏览器、Velden Studio 等应用现在都能正常访问网络。</source>
        <translation>%1
Browsers, Velden Studio and other apps can reach the internet now.</translation>
    </message>
    <message>
        <source>上网实测未通过（%1 访问失败）</source>
        <translation>Internet test failed (%1 unreachable)</translation>
    </message>
    <message>
        <source>若上面的连接 / 代理检查报了故障，请先修复它们；修复完成后会自动复测。</source>
        <translation>If the connection or proxy checks above report problems, repair them first; the test runs again by itself once they are repaired.</translation>
    </message>
    <message>
        <source>确认 Wi-Fi 或网线已连接且能 ping 通网关</source>
        <translation>Make sure Wi-Fi or a cable is connected and the gateway answers ping</translation>
    </message>
    <message>
        <source>确认系统代理指向正在运行的代理软件，或直接关闭系统代理</source>
        <translation>Make sure the system proxy points to proxy software that is running, or turn the system proxy off</translation>
    </message>
</context>
<context>
    <name>DiagnosticsRun</name>
    <message>
        <source>检查网络接口与 IP 地址</source>
        <translation>Checking network interface and IP address</translation>
    </message>
    <message>
        <source>检查网关（路由器）连通性</source>
        <translation>Checking the gateway (router)</translation>
    </message>
    <message>
        <source>检查外网连通与丢包</source>
        <translation>Checking internet reachability and packet loss</translation>
    </message>
    <message>
        <source>检查 DNS 配置与域名解析</source>
        <translation>Checking DNS settings and name lookup</translation>
    </message>
    <message>
        <source>检查 HTTPS / 证书 / 系统时间</source>
        <translation>Checking HTTPS / certificates / system clock</translation>
    </message>
    <message>
        <source>检查系统代理与 ClashX 状态</source>
        <translation>Checking system proxy and ClashX</translation>
    </message>
    <message>
        <source>测试 AI 服务连通性（Claude / DeepSeek / GLM 等）</source>
        <translation>Testing AI services (Claude / DeepSeek / GLM and others)</translation>
    </message>
    <message>
        <source>检查 hosts 与代理环境变量</source>
        <translation>Checking hosts file and proxy variables</translation>
    </message>
    <message>
        <source>检查 MTU / IPv6 / Wi-Fi / 系统环境</source>
        <translation>Checking MTU / IPv6 / Wi-Fi / system</translation>
    </message>
    <message>
        <source>实测能否上网（Bing 搜索）</source>
        <translation>Testing internet access (Bing search)</translation>
    </message>
</context>
<context>
    <name>DirectOnly</name>
    <message>
        <source>只有直连能上网：走系统代理的应用仍断网</source>
        <translation>Only direct connections work: apps that use the system proxy are still offline</translation>
    </message>
    <message>
        <source>点「%1」即可恢复它们。</source>
        <translation>Click “%1” to bring them back.</translation>
    </message>
    <message>
        <source>关闭系统代理，或让代理软件恢复工作（重新打开它、换一个可用的节点）即可恢复它们。</source>
        <translation>Turn off the system proxy, or get the proxy software working again (reopen it, or switch to a working node), to bring them back.</translation>
    </message>
</context>
<context>
    <name>NetVerify</name>
    <message>
        <source>系统代理 %1 端口无法连接</source>
        <translation>the system proxy %1 can&apos;t be reached</translation>
    </message>
    <message>
        <source>经系统代理 %1 访问失败（HTTP %2）</source>
        <translation>the fetch through the system proxy %1 failed (HTTP %2)</translation>
    </message>
    <message>
        <source>系统代理 %1</source>
        <translation>System proxy %1</translation>
    </message>
    <message>
        <source>直连</source>
        <translation>Direct</translation>
    </message>
    <message>
        <source>仅直连通过 %1 搜索访问测试（HTTP %2 · %3 ms · %4）；%5，走系统代理的应用仍无法上网。</source>
        <translation>Only a direct connection passed the %1 search test (HTTP %2 · %3 ms · %4); %5, so apps that use the system proxy are still offline.</translation>
    </message>
    <message>
        <source>已通过 %1 搜索访问测试（HTTP %2 · %3 ms · %4）</source>
        <translation>Passed the %1 search test (HTTP %2 · %3 ms · %4)</translation>
    </message>
    <message>
        <source>两种通路都失败（%1）。请检查网络连接或代理设置。</source>
        <translation>Both paths failed (%1). Check the network connection or the proxy settings.</translation>
    </message>
    <message>
        <source>；</source>
        <comment>between the items of a list</comment>
        <translation>; </translation>
    </message>
    <message>
        <source>尚未测试</source>
        <translation>Not tested yet</translation>
    </message>
</context>
<context>
    <name>Recheck</name>
    <message>
        <source>复查：已不再发现这个问题（%1）</source>
        <translation>Recheck: the problem is gone (%1)</translation>
    </message>
    <message>
        <source>复查仍发现：%1（%2）</source>
        <translation>Recheck still finds: %1 (%2)</translation>
    </message>
    <message>
        <source>复查仍发现：%1
%2（%3）</source>
        <translation>Recheck still finds: %1
%2 (%3)</translation>
    </message>
</context>
<context>
    <name>RepairCommands</name>
    <message>
        <source>续订 DHCP 租约</source>
        <translation>Renew DHCP lease</translation>
    </message>
</context>
</TS>
