<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ChangeLock</name>
    <message>
        <source>另一项修改</source>
        <translation>another change</translation>
    </message>
    <message>
        <source>⏳ 正在等待另一项修改结束：%1（进程 %2）…</source>
        <translation>⏳ Waiting for another change to finish: %1 (process %2)…</translation>
    </message>
</context>
<context>
    <name>EffectCheck</name>
    <message>
        <source>复查 %1：%2</source>
        <translation>Read back with %1: %2</translation>
    </message>
    <message>
        <source>（无输出）</source>
        <translation>(no output)</translation>
    </message>
</context>
<context>
    <name>FixEngine</name>
    <message>
        <source>❌ 没有可执行的修复命令</source>
        <translation>❌ There are no repair commands to run</translation>
    </message>
    <message>
        <source>❌ 执行失败（被信号 %1 终止）</source>
        <translation>❌ Failed (stopped by signal %1)</translation>
    </message>
    <message>
        <source>❌ 执行失败（超时，命令已被终止）</source>
        <translation>❌ Failed (timed out; the command was stopped)</translation>
    </message>
    <message>
        <source>❌ 执行失败（无法启动）</source>
        <translation>❌ Failed (could not start)</translation>
    </message>
    <message>
        <source>❌ 执行失败（退出码 %1）</source>
        <translation>❌ Failed (exit code %1)</translation>
    </message>
    <message>
        <source>失败的命令：%1</source>
        <translation>Failed command: %1</translation>
    </message>
    <message>
        <source>管理员脚本没有报告这项修复的结果</source>
        <translation>The administrator script did not report how this repair went</translation>
    </message>
    <message>
        <source>❌ 修复未生效：命令已执行，但设置没有改变</source>
        <translation>❌ The repair did not take effect: the commands ran, but the settings did not change</translation>
    </message>
    <message>
        <source>⚠️ 已取消授权，未做任何修改。</source>
        <translation>⚠️ Authorization cancelled. Nothing was changed.</translation>
    </message>
    <message>
        <source>✅ 修复成功：%1</source>
        <translation>✅ Repaired: %1</translation>
    </message>
    <message>
        <source>✅ 修复成功</source>
        <translation>✅ Repaired</translation>
    </message>
    <message>
        <source>（免密码方式未生效，已通过管理员权限完成）</source>
        <translation>(The way without a password did not work; done with administrator rights)</translation>
    </message>
    <message>
        <source>准备修复：%1</source>
        <translation>Preparing to repair: %1</translation>
    </message>
    <message>
        <source>⏳ 等待管理员授权…</source>
        <translation>⏳ Waiting for administrator authorization…</translation>
    </message>
    <message>
        <source>正在修复：%1</source>
        <translation>Repairing: %1</translation>
    </message>
    <message>
        <source>⏳ 免密码方式未生效，等待管理员授权…</source>
        <translation>⏳ The way without a password did not work; waiting for administrator authorization…</translation>
    </message>
    <message>
        <source>正在执行需要管理员权限的修复（1/1 授权）…</source>
        <translation>Running the repairs that need administrator rights (one authorization)…</translation>
    </message>
    <message>
        <source>❌ 批量修复失败：</source>
        <translation>❌ Batch repair failed:</translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <source>这次修复的记录没有写入</source>
        <translation>The record of this repair was not written</translation>
    </message>
</context>
<context>
    <name>JournalEntry</name>
    <message>
        <source>设置种类不可读</source>
        <translation>the kind of setting is unreadable</translation>
    </message>
    <message>
        <source>设置的对象不是文字</source>
        <translation>what the setting belongs to is not text</translation>
    </message>
    <message>
        <source>设置的对象「%1」不合规</source>
        <translation>what the setting belongs to, “%1”, is not valid</translation>
    </message>
    <message>
        <source>修复前的值不合规</source>
        <translation>the value before the repair is not valid</translation>
    </message>
    <message>
        <source>修复写入的值不合规</source>
        <translation>the value the repair wrote is not valid</translation>
    </message>
    <message>
        <source>文件不在 Brevik 修改的范围内</source>
        <translation>the file is not one that Brevik edits</translation>
    </message>
    <message>
        <source>备份文件的路径不合规</source>
        <translation>the path of the backup is not valid</translation>
    </message>
    <message>
        <source>校验值不合规</source>
        <translation>a checksum is not valid</translation>
    </message>
    <message>
        <source>标题或编号不是文字</source>
        <translation>the title or an id is not text</translation>
    </message>
    <message>
        <source>记录的操作不合规</source>
        <translation>a recorded operation is not valid</translation>
    </message>
    <message>
        <source>一次性操作的说明不是文字</source>
        <translation>the description of a one-time action is not text</translation>
    </message>
    <message>
        <source>撤销对象的编号不合规</source>
        <translation>the id of the entry it undoes is not valid</translation>
    </message>
    <message>
        <source>结果不是文字</source>
        <translation>the outcome is not text</translation>
    </message>
    <message>
        <source>结果的种类不可读</source>
        <translation>the kind of outcome is unreadable</translation>
    </message>
    <message>
        <source>窗口</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>命令行</source>
        <translation>Command line</translation>
    </message>
    <message>
        <source>守护</source>
        <translation>Guardian</translation>
    </message>
    <message>
        <source>结果中的备份或校验值不合规</source>
        <translation>a backup or checksum in the outcome is not valid</translation>
    </message>
</context>
<context>
    <name>OpEffects</name>
    <message>
        <source>重置网络接口（%1）</source>
        <translation>Reset network interface (%1)</translation>
    </message>
    <message>
        <source>续订 DHCP 租约（%1）</source>
        <translation>Renew DHCP lease (%1)</translation>
    </message>
    <message>
        <source>刷新 DNS 缓存</source>
        <translation>Flush DNS cache</translation>
    </message>
    <message>
        <source>重启 DNS 解析服务（mDNSResponder）</source>
        <translation>Restart the DNS resolver (mDNSResponder)</translation>
    </message>
    <message>
        <source>按网络时间校准系统时钟</source>
        <translation>Set the system clock from network time</translation>
    </message>
</context>
<context>
    <name>Recording</name>
    <message>
        <source>文件 %1</source>
        <translation>File %1</translation>
    </message>
    <message>
        <source>❌ 命令已执行，但%1</source>
        <translation>❌ The commands ran, but the problem remains. %1</translation>
    </message>
    <message>
        <source>⚠️ 已取消授权。免密码方式已经做了以下改动，它们仍然有效（可在「修复记录」中撤销）：%1</source>
        <translation>⚠️ Authorization cancelled. The steps that needed no password already made these changes, which stay in effect (you can undo them in “Repair history”):%1</translation>
    </message>
    <message>
        <source>正在复查修复结果…</source>
        <translation>Checking the repairs again…</translation>
    </message>
    <message>
        <source>⚠️ 这次修复没能写入修复记录，无法通过「撤销」还原：%1</source>
        <translation>⚠️ This repair could not be written to the repair history, so it cannot be undone: %1</translation>
    </message>
</context>
<context>
    <name>SettingIO</name>
    <message>
        <source>%1：修复前没有设置地址，修复写入的地址无法清除（该代理的开关已还原）</source>
        <translation>%1: there was no address before the repair, and the address it wrote cannot be cleared (the proxy’s switch was restored)</translation>
    </message>
    <message>
        <source>%1：原为「%2」，需要在「系统设置 → 网络」中手动恢复</source>
        <translation>%1: was “%2”; restore it by hand in System Settings → Network</translation>
    </message>
    <message>
        <source>「%1」的网页代理（HTTP）</source>
        <translation>Web proxy (HTTP) of “%1”</translation>
    </message>
    <message>
        <source>「%1」的安全网页代理（HTTPS）</source>
        <translation>Secure web proxy (HTTPS) of “%1”</translation>
    </message>
    <message>
        <source>「%1」的 SOCKS 代理</source>
        <translation>SOCKS proxy of “%1”</translation>
    </message>
    <message>
        <source>「%1」的自动代理（PAC）</source>
        <translation>Automatic proxy (PAC) of “%1”</translation>
    </message>
    <message>
        <source>「%1」的代理例外列表</source>
        <translation>Proxy bypass list of “%1”</translation>
    </message>
    <message>
        <source>「%1」的 DNS 服务器</source>
        <translation>DNS servers of “%1”</translation>
    </message>
    <message>
        <source>「%1」的 IPv6 设置</source>
        <translation>IPv6 setting of “%1”</translation>
    </message>
    <message>
        <source>Wi-Fi 电源（%1）</source>
        <translation>Wi-Fi power (%1)</translation>
    </message>
    <message>
        <source>接口 %1 的 MTU</source>
        <translation>MTU of interface %1</translation>
    </message>
    <message>
        <source>网络时间自动同步</source>
        <translation>Automatic network time</translation>
    </message>
</context>
<context>
    <name>StateFiles</name>
    <message>
        <source>“%1”是一个符号链接，Brevik 不会经由链接读写自己的文件</source>
        <translation>“%1” is a symbolic link; Brevik does not read or write its own files through a link</translation>
    </message>
    <message>
        <source>“%1”是一个文件夹，不是文件</source>
        <translation>“%1” is a folder, not a file</translation>
    </message>
    <message>
        <source>“%1”不是普通文件</source>
        <translation>“%1” is not a regular file</translation>
    </message>
    <message>
        <source>没有权限读写“%1”</source>
        <translation>No permission to read or write “%1”</translation>
    </message>
    <message>
        <source>磁盘空间不足，无法写入“%1”</source>
        <translation>Not enough disk space to write “%1”</translation>
    </message>
    <message>
        <source>“%1”所在的磁盘是只读的</source>
        <translation>The disk that holds “%1” is read-only</translation>
    </message>
    <message>
        <source>“%1”的路径中有一项不是文件夹</source>
        <translation>Part of the path of “%1” is not a folder</translation>
    </message>
    <message>
        <source>无法读写“%1”：%2</source>
        <translation>Cannot read or write “%1”: %2</translation>
    </message>
    <message>
        <source>“%1”过大，不是 Brevik 写的文件</source>
        <translation>“%1” is too large to be a file Brevik wrote</translation>
    </message>
</context>
<context>
    <name>Undo</name>
    <message>
        <source>以下改动无法撤销：%1</source>
        <translation>These changes cannot be undone:%1</translation>
    </message>
    <message>
        <source>#%1「%2」</source>
        <translation>#%1 “%2”</translation>
    </message>
    <message>
        <source>%1：修复前的值没能读到</source>
        <translation>%1: its value before the repair could not be read</translation>
    </message>
    <message>
        <source>%1：现在读不到这项设置</source>
        <translation>%1: this setting cannot be read now</translation>
    </message>
    <message>
        <source>文件 %1</source>
        <translation>File %1</translation>
    </message>
    <message>
        <source>%1：记录里没有备份的校验值，无法确认备份 %2 未被改动</source>
        <translation>%1: the record holds no checksum of the backup, so nothing shows that backup %2 is unchanged</translation>
    </message>
    <message>
        <source>%1：备份文件 %2 不见了</source>
        <translation>%1: the backup %2 is gone</translation>
    </message>
    <message>
        <source>%1：备份文件 %2 在修复之后被改动过，不会用它还原</source>
        <translation>%1: the backup %2 was changed after the repair and will not be used to restore it</translation>
    </message>
    <message>
        <source>撤销 #%1：%2</source>
        <translation>Undo #%1: %2</translation>
    </message>
    <message>
        <source>%1：一次性操作</source>
        <translation>%1: a one-time action</translation>
    </message>
    <message>
        <source>改动未被记录：%1</source>
        <translation>Change not recorded: %1</translation>
    </message>
    <message>
        <source>❌ 不撤销 #%1：这条记录的内容不可信（%2），不会据此改动任何设置。</source>
        <translation>❌ Not undoing #%1: this record cannot be trusted (%2), so no setting will be changed from it.</translation>
    </message>
    <message>
        <source>❌ 未撤销 %1：%2</source>
        <translation>❌ Did not undo %1:%2</translation>
    </message>
    <message>
        <source>⚠️ 未撤销 %1：以下设置在这次修复之后又被改动过%2</source>
        <translation>⚠️ Did not undo %1: these settings were changed again after the repair%2</translation>
    </message>
    <message>
        <source>确认要改回修复前的值时，请确认覆盖（命令行加 --force）。</source>
        <translation>To put back the values from before the repair anyway, confirm overwriting them (on the command line, add --force).</translation>
    </message>
    <message>
        <source>⚠️ %1没有可以还原的设置</source>
        <translation>⚠️ %1 has no settings to restore</translation>
    </message>
    <message>
        <source>✅ 无需撤销 %1：相关设置已是修复前的值</source>
        <translation>✅ No need to undo %1: its settings already have their values from before the repair</translation>
    </message>
    <message>
        <source>已还原修复前的设置</source>
        <translation>the settings from before the repair are back</translation>
    </message>
    <message>
        <source>❌ 未撤销 %1：修复记录无法写入（%2）</source>
        <translation>❌ Did not undo %1: the repair history cannot be written (%2)</translation>
    </message>
    <message>
        <source>复查：修复前的问题没有再出现</source>
        <translation>Re-check: the problem from before the repair did not come back</translation>
    </message>
    <message>
        <source>复查：检查又发现了「%1」，与修复前一样</source>
        <translation>Re-check: the check finds “%1” again, as before the repair</translation>
    </message>
    <message>
        <source>⚠️ 已取消授权，%1没有撤销，未做任何修改。</source>
        <translation>⚠️ Authorization cancelled. %1 was not undone; nothing was changed.</translation>
    </message>
    <message>
        <source>✅ 已撤销 %1，已还原：%2</source>
        <translation>✅ Undid %1. Restored:%2</translation>
    </message>
    <message>
        <source>❌ 撤销 %1未完成</source>
        <translation>❌ Undoing %1 did not complete</translation>
    </message>
    <message>
        <source>❌ 无法读取修复记录：%1</source>
        <translation>❌ Cannot read the repair history: %1</translation>
    </message>
    <message>
        <source>⚠️ 修复记录里没有 #%1</source>
        <translation>⚠️ The repair history has no #%1</translation>
    </message>
    <message>
        <source>⚠️ 没有可以撤销的修复。</source>
        <translation>⚠️ There is no repair to undo.</translation>
    </message>
    <message>
        <source>✅ %1已经撤销过了。</source>
        <translation>✅ %1 has already been undone.</translation>
    </message>
    <message>
        <source>⚠️ %1没有做任何修改（授权已取消），无需撤销。</source>
        <translation>⚠️ %1 changed nothing (authorization was cancelled); there is nothing to undo.</translation>
    </message>
    <message>
        <source>无法读取的记录（%1），不会据此撤销</source>
        <translation>Unreadable record (%1); nothing will be undone from it</translation>
    </message>
    <message>
        <source>（进行中）</source>
        <translation> (in progress)</translation>
    </message>
    <message>
        <source>（中断：进程在完成前退出，可撤销）</source>
        <translation> (interrupted: the process quit before it finished; can be undone)</translation>
    </message>
    <message>
        <source>（未做任何修改）</source>
        <translation> (changed nothing)</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>（已撤销）</source>
        <translation> (undone)</translation>
    </message>
</context>
</TS>
