import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl

// A phone-sized test case with a fresh local server session per test. Screens made through
// screen() are destroyed before the session and its models, so that no binding of a screen being
// torn down reads a model that is already gone. Every symbol a screen drew has a glyph.
TestCase {
    id: testCase

    property QtObject session: null
    property var screens: []
    // Set its target to a sheet.
    property SignalSpy closeSpy: SignalSpy {
        signalName: "closeRequested"
    }

    // Per-test steps of a test file, run after the session starts and before it ends.
    function setUp() {}
    function tearDown() {}

    when: windowShown
    visible: true
    width: 390
    height: 844

    Component {
        id: stackComponent
        StackView {}
    }

    // An item the size of the window.
    function screen(component, properties) {
        const item = createTemporaryObject(component, testCase, Object.assign({ width: width, height: height }, properties))
        screens.push(item)
        return item
    }
    // A page as the first of a stack, as a tab shows it.
    function stackedScreen(component, properties) {
        const stack = screen(stackComponent)
        stack.push(component, properties, StackView.Immediate)
        return stack
    }
    function findAll(item, names) {
        return names.map(name => findChild(item, name))
    }

    function init() {
        session = TestSupport.startSession()
        setUp()
    }
    function cleanup() {
        for (const item of screens)
            item?.destroy()
        screens = []
        compare(Icons.unmappedNames, [])
        closeSpy.clear()
        tearDown()
        session.destroy()
        session = null
    }
}
