<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
<context>
    <name>AboutView</name>
    <message>
        <source>关于</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>版本 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>简约而不简单</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Made with ❤️ by the Seedwhirl contributors</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AddServerView</name>
    <message>
        <source>添加服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AddTorrentView</name>
    <message>
        <source>添加种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加中...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加方式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>链接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>种子链接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>支持 magnet:// 或 http:// 链接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>磁力链接或种子 URL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>种子文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择本地 .torrent 文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择种子文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>点击重新选择</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>可选设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>多个标签用逗号分隔</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分类</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>点击输入</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择分类</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>默认</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存路径</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择保存路径</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标签</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>种子文件 (*.torrent)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>错误</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AddTorrentViewModel</name>
    <message>
        <source>无法读取文件“%1”：%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不是本地文件。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件不存在。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>这是一个文件夹。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件过大，不是种子文件。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>没有读取权限。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>读取失败。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AlertDialog</name>
    <message>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AppError</name>
    <message>
        <source>未知错误</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CertificateError</name>
    <message>
        <source>未知</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书已被吊销</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书签名无效</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书已被列入黑名单</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>签发机构的证书无效</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书不能用于服务器身份验证</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书被拒绝用于此用途</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器没有出示证书</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书的有效期字段无效</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器证书不受信任</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器证书已改变</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器证书已过期</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器证书尚未生效</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器证书与地址不符</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器证书无效</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SHA-256 指纹：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>该证书是服务器自己签发的（自签名证书）。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>该证书由本机不信任的机构签发。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请向服务器管理员核对下面的指纹，一致时才可信任。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器出示的证书与之前信任的不同：可能是服务器更换了证书，也可能有人冒充服务器。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已信任的指纹：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器出示的指纹：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>有效期至：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>生效日期：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书适用于：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>、</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>连接的地址：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>原因：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>；</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>核对指纹无误后，可选择信任此证书</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请服务器管理员更换证书</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确认服务器确实更换了证书后，再重新信任新证书</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请服务器管理员更新证书，并检查本机的日期和时间是否正确</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CertificatePrompt</name>
    <message>
        <source>证书是服务器自己签发的（自签名）。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书由本机不认识的机构签发。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请先核对服务器上证书的 SHA-256 指纹与下面的一致，再信任它。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书是为其他名称签发的。请先核对指纹，确认是你的服务器后再信任它。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器出示的证书与之前信任的不同。如果没有在服务器上更换过证书，连接可能被拦截。只有确认新指纹无误时才重新信任。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>过期的证书不能被信任。请在服务器上更换证书。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>尚未生效的证书不能被信任。请检查服务器和本机的时间。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CompletionNotifier</name>
    <message>
        <source>下载完成</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 个种子已下载完成：%2 等
%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>、</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DecodingError</name>
    <message>
        <source>数据格式不正确，无法读取。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DemoProfile</name>
    <message>
        <source>演示服务器</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EditServerView</name>
    <message>
        <source>编辑服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FilterSheet</name>
    <message>
        <source>状态</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>排序</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分类</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标签</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>筛选</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择类型</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FilterSheetModel</name>
    <message>
        <source>暂无分类</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>暂无标签</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>全部</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Format</name>
    <message>
        <source>无限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Formatting</name>
    <message>
        <source>B</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>/s</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>KeychainError</name>
    <message>
        <source>保存密码失败: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除密码失败: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainTabView</name>
    <message>
        <source>收到种子链接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>连接服务器后会打开添加种子页面。请先选择或添加一个服务器。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainTabs</name>
    <message>
        <source>种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>统计</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>搜索</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设置</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NavBar</name>
    <message>
        <source>返回</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NetworkError</name>
    <message>
        <source>检查服务器设置并重新连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>尝试重新连接服务器或重启 qBittorrent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器错误 (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>网络连接失败

请检查：
• 服务器是否在线
• 网络连接是否正常
• 防火墙设置

详细信息：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据解析失败

可能原因：
• 服务器返回了空数据
• qBittorrent 版本不兼容
• 服务器未正确响应

请检查 qBittorrent 是否正常运行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无效的 URL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未连接到服务器

请先在「设置」页面中添加并连接 qBittorrent 服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>访问被拒绝</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>资源未找到</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器没有返回数据

请检查 qBittorrent 服务器是否正常运行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器响应无效

请检查服务器地址和端口是否正确</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>连接超时

请检查：
• 服务器地址和端口是否正确
• 服务器是否在线
• 网络连接是否正常</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法连接到服务器

请检查：
• 服务器地址和端口
• qBittorrent Web UI 是否已启用
• 网络连接是否正常</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器响应过大，已中止读取</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器未添加种子

请检查链接或种子文件是否有效，以及该种子是否已在列表中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>登录已被服务器暂时禁止

登录失败次数过多，服务器封禁了本机的地址。封禁默认持续 1 小时（服务器可能改过封禁时长），期间的每次登录都会被拒绝。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器拒绝了请求

qBittorrent 在验证身份之前就拒绝了请求，可能原因：
• 启用了主机头验证，而访问的端口与 qBittorrent 自身监听的端口不同（容器或端口转发）
• 请求经过了 qBittorrent 不信任的反向代理</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>反向代理身份验证失败

服务器前的反向代理拒绝了请求：代理的用户名、密码或请求头缺失或不正确。这不是 qBittorrent 的登录失败。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>反向代理无法连接到 qBittorrent (%1)

服务器前的反向代理在工作，但连接不到后面的 qBittorrent：qBittorrent 可能没有运行，或代理的目标地址有误。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器返回了网页而不是数据

这通常是单点登录的登录页面或反向代理的错误页面，请求没有到达 qBittorrent 的 Web API。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>API 密钥被拒绝

服务器不接受此 API 密钥：密钥可能有误或已被撤销。API 密钥需要 qBittorrent 5.2 或更高版本。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>前往「设置」页面，添加并连接到 qBittorrent 服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>等封禁结束后，确认用户名和密码无误再连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使用与 qBittorrent 相同的端口，或在其 Web UI 设置中关闭主机头验证；经反向代理访问时，启用反向代理支持并把代理加入受信任列表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>在服务器设置中检查反向代理的身份验证信息</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确认 qBittorrent 正在运行，并检查反向代理的配置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>检查服务器地址、路径前缀和反向代理的身份验证设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>在服务器设置中检查 API 密钥，或改用用户名和密码登录</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PullToRefresh</name>
    <message>
        <source>松开刷新</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下拉刷新</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QBittorrentAPIClient</name>
    <message>
        <source>服务器不支持此操作</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>找不到该种子

种子可能已被删除，或服务器不支持此操作。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分类不存在

服务器上没有这个分类，它可能已被删除。请刷新后重新选择，或新建该分类。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分类名称无效

分类名称不能为空。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法创建分类

分类名称无效，或同名分类已存在。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存位置不能为空</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法移动到该位置

服务器无法创建该目录，或没有写入权限。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名称无效

种子名称不能为空。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标签无效

标签名称不能为空，也不能包含逗号。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>限速值无效

服务器不接受这个限速值。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>队列未启用

服务器关闭了种子排队，无法调整队列位置。请在 qBittorrent 的设置中启用种子排队。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件优先级无效

服务器不接受该优先级或文件编号。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法设置文件优先级

种子的元数据尚未下载完成，或文件已不存在。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器拒绝了修改 (400)

请求的参数无效。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器拒绝了修改 (409)

种子当前的状态不允许此操作。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RepositoryError</name>
    <message>
        <source>服务器未找到</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SearchField</name>
    <message>
        <source>清除</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SearchTorrentView</name>
    <message>
        <source>搜索</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>搜索种子名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>搜索种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>输入种子名称进行搜索</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>搜索中...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未找到结果</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>尝试使用其他关键词</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>找到 %1 个结果</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ServerAdvancedSection</name>
    <message>
        <source>留空则保留已保存的值</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>高级设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>路径前缀</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器在反向代理的某个路径下时填写，例如 /qbt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书信任</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>系统证书</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自定义 CA 证书</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已固定的证书</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CA：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未选择证书文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择文件…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SHA-256 指纹</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>忘记此证书</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>代理身份验证</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HTTP Basic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自定义请求头</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>代理用户名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>代理密码（%1）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>代理密码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>值</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除请求头</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加请求头</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>API 密钥</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>需要 qBittorrent 5.2 或更高版本；使用密钥时无需密码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使用 API 密钥</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>API 密钥（%1）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择 CA 证书文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>证书文件 (*.pem *.crt *.cer *.der)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ServerForm</name>
    <message>
        <source>服务器信息</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>主机</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>端口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>端口号必须在 1-65535 之间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>认证</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>用户名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>修改密码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>新密码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>密码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使用 HTTPS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>测试连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>✓ 连接成功</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ServerFormModel</name>
    <message>
        <source>请添加至少一个请求头</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请求头名称不能为空</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请求头名称“%1”含有不允许的字符</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请求头“%1”由应用自己设置，不能自定义</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使用 API 密钥时 Authorization 请求头由应用设置，不能自定义</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请求头“%1”重复</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请求头“%1”的值不能包含换行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请填写请求头“%1”的值</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法读取已保存的请求头，请重新输入其值</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>API 密钥和代理的 HTTP Basic 身份验证都使用 Authorization 请求头，不能同时启用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>路径前缀不能包含 ? 或 #</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请选择 CA 证书文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请填写代理用户名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请填写代理密码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>代理用户名不能包含冒号，密码不能包含换行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请填写 API 密钥</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不是有效的证书文件</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ServerListView</name>
    <message>
        <source>服务器管理</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>暂无服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>点击右上角的 + 按钮添加 qBittorrent 服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器列表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>连接中...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>连接失败</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ServerProfile</name>
    <message>
        <source>从未连接</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ServerRepository</name>
    <message>
        <source>取消活动状态</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存服务器失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>加载服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除服务器失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>激活服务器失败</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ServerRowView</name>
    <message>
        <source>用户: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>编辑</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ServerState</name>
    <message>
        <source>已连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>防火墙</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未连接</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>当前服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未连接服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>点击选择或添加服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自动刷新</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自动更新种子列表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>刷新间隔</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载完成通知</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>种子下载完成时发送桌面通知</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>默认下载路径</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>默认</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>问题反馈</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>联系作者</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关于</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Sheet</name>
    <message>
        <source>放弃已输入的内容？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>继续编辑</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>放弃</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SpeedChart</name>
    <message>
        <source>下载</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>10 分钟前</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>现在</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>正在收集数据…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SpeedLimitSheet</name>
    <message>
        <source>速度限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用速度限制已开启：以下修改的是备用限速。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用速度限制已关闭：以下修改的是常规限速。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用下载限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载限速 (KB/s, 0=无限制)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用上传限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>输入 0 表示无限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传限速 (KB/s, 0=无限制)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用速度限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>开启备用速度限制时使用，输入 0 表示无限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用下载限速 (KB/s, 0=无限制)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用上传限速 (KB/s, 0=无限制)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StatisticsView</name>
    <message>
        <source>统计</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>qBittorrent 版本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>历史统计</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>总下载量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>总上传量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分享率</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>当前会话</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已下载</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已上传</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DHT 节点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>连接状态</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>速度限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用速度限制已开启，显示的是生效中的备用限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用速度限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用下载限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用上传限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最近 10 分钟</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器信息</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>可用磁盘空间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>总连接数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>队列 IO 任务</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分类 (%1)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentDetailView</name>
    <message>
        <source>基本信息</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trackers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Peers (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>详情</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>编辑</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最高</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>高</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>普通</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不下载</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>加载文件列表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>优先级：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>加载 Trackers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>加载 Peers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>提示</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentDetailViewModel</name>
    <message>
        <source>名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>大小</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>进度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>状态</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已下载</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已上传</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分享率</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>完成时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存路径</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分类</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标签</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentEditForm</name>
    <message>
        <source>设置分类</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>编辑标签</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加标签</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>更改保存位置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重命名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>种子限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标签不能为空，也不能包含逗号</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请输入保存位置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名称不能为空</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请输入整数 (KB/s)，0 表示无限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>完成</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已选择 %1 个种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分类</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无分类</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>新建分类</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分类名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>新建并设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请输入分类名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标签</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>勾选的标签会添加到所有选中的种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>新标签</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>多个标签用逗号分隔</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标签名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存位置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器会把已下载的文件移动到新位置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已知位置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载限速 (KB/s, 0=无限制)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传限速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>只限制这些种子，输入 0 表示无限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传限速 (KB/s, 0=无限制)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentEditor</name>
    <message>
        <source>设置分类…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>编辑标签…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>更改保存位置…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重命名…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>限速…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>强制启动</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>按顺序下载</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>先下载首尾文件块</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>移至队列顶部</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>在队列中上移</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>在队列中下移</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>移至队列底部</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentFilesModel</name>
    <message>
        <source>混合</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不下载</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>高</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最高</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>普通</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentFilter</name>
    <message>
        <source>全部</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>做种中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已完成</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已暂停</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>活动</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>非活动</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentListView</name>
    <message>
        <source>建议：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>暂停</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>开始</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>强制启动</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>校验</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>汇报</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分类</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标签</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除种子和文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已选择 %1 个种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>筛选</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>全选</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>完成</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用速度限制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用速度限制：已开启</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>备用速度限制：已关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>大小</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>进度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分享率</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>状态</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>加载中...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>暂无种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>点击右上角的 + 按钮添加种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择一个种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>点击左侧的种子查看详情</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>编辑…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>强制重新校验</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>强制重新汇报</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定要删除“%1”及其已下载的文件吗？此操作无法撤销。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定要删除选中的 %1 个种子及其已下载的文件吗？此操作无法撤销。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重试</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>更多</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentListViewModel</name>
    <message>
        <source>%1 秒后重试</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自动刷新已关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已断开: %1 · %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>更新于 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>正在等待服务器应答...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>正在接收 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>正在处理 %1 数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>正在处理 %1 个种子</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentRowView</name>
    <message>
        <source>开始</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>暂停</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentSortOption</name>
    <message>
        <source>默认</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>大小</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>进度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下载速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传速度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分享率</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentState</name>
    <message>
        <source>下载中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>做种中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已暂停</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停滞</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>检查中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>排队中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分配空间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>获取信息</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>强制下载</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>强制上传</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>移动中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件丢失</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>错误</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未知</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentTracker</name>
    <message>
        <source>已禁用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未联系</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>工作中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>更新中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未工作</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未知</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TorrentTrackersModel</name>
    <message>
        <source>种子: %1 • 下载: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TransportError</name>
    <message>
        <source>没有错误</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>连接被拒绝</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器意外关闭了连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>找不到服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请求超时</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请求已取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>安全连接（TLS）握手失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>网络暂时不可用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>网络不可达</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不允许在后台发送请求</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重定向次数过多</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器把请求转到了另一个地址（例如单点登录页面），已停止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>网络错误</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>代理服务器拒绝连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>代理服务器意外关闭了连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>找不到代理服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>代理服务器响应超时</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>代理服务器要求身份验证</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>代理服务器错误</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>访问被拒绝</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器不允许此操作</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>资源未找到</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器要求身份验证</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请求需要重新发送</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请求与资源的当前状态冲突</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>资源已不存在</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器响应内容错误</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不支持的协议</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>协议不支持此操作</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器响应不符合 HTTP 协议</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器内部错误</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器不支持此操作</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务暂时不可用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器错误</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>网络错误 (代码 %1)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TrustSheet</name>
    <message>
        <source>颁发给</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>颁发者</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>有效期</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 至 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已信任的 SHA-256 指纹</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>服务器出示的 SHA-256 指纹</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SHA-256 指纹</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>我已核对新的指纹，确认服务器更换了证书</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>信任此证书</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WelcomeView</name>
    <message>
        <source>添加服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>建立连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>管理种子</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>配置你的 qBittorrent 服务器地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>快速连接到远程或本地服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>轻松管理和监控所有种子任务</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>qBittorrent 客户端</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>随时随地，掌控你的下载</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择一个服务器连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>连接中...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>管理服务器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>错误</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
