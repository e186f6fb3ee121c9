import QtQuick

// Stands in for ApiClient in the add sheet: records every call and answers with a
// then-able like QCoro's QmlTask. With `deferred` set the answer waits for resolve().
QtObject {
    id: fake

    property var calls: []
    property var addResult: ({ ok: true, error: "" })
    property var categoriesResult: ({ ok: true, error: "", categories: [] })
    property bool deferred: false
    property var pending: null

    function answer(value) {
        return {
            then: function (callback) {
                if (fake.deferred)
                    fake.pending = function () { callback(value) }
                else
                    callback(value)
            }
        }
    }
    function resolve() {
        const run = pending
        pending = null
        run()
    }
    function lastCall() {
        return calls[calls.length - 1]
    }

    function getCategories(prefix) {
        calls.push({ name: "getCategories", prefix: prefix })
        return answer(categoriesResult)
    }
    function addTorrent(urls, savePath, category, tags) {
        calls.push({ name: "addTorrent", urls: urls, savePath: savePath, category: category, tags: tags })
        return answer(addResult)
    }
    function addTorrentFile(fileUrl, fileName, savePath, category, tags) {
        calls.push({ name: "addTorrentFile", fileUrl: fileUrl.toString(), fileName: fileName, savePath: savePath,
                     category: category, tags: tags })
        return answer(addResult)
    }
}
