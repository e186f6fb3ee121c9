import QtQuick
import QtTest
import Seedwhirl

// A phone-sized test case with a fresh local server session per test. Screens made through
// screen() are destroyed before the session and its models, so that no binding of a screen being
// torn down reads a model that is already gone.
TestCase {
    id: testCase

    property QtObject session: null
    property var screens: []

    when: windowShown
    visible: true
    width: 390
    height: 844

    function screen(component, properties) {
        const item = createTemporaryObject(component, testCase, properties)
        screens.push(item)
        return item
    }

    function init() {
        session = TestSupport.startSession()
    }
    function cleanup() {
        for (const item of screens)
            item?.destroy()
        screens = []
        compare(Icons.unmappedNames, [])
        session.destroy()
        session = null
    }
}
