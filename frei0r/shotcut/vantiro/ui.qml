// Shotcut's panel for the Vantiro frei0r filter: one keyframable slider per parameter, in the
// settings dialog's units, and a colour picker. Stored values are the filter's 0..1
// parameters: stored = shown / factor + offset.
import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Layouts 1.12
import Shotcut.Controls 1.0 as Shotcut

Shotcut.KeyframableFilter {
    id: root

    readonly property var sliders: [
        { property: "left", label: qsTr("Left"), minimum: 0, maximum: 100, factor: 100, offset: 0, shown: 0, suffix: " %" },
        { property: "right", label: qsTr("Right"), minimum: 0, maximum: 100, factor: 100, offset: 0, shown: 100, suffix: " %" },
        { property: "top", label: qsTr("Top"), minimum: 0, maximum: 100, factor: 100, offset: 0, shown: 0, suffix: " %" },
        { property: "bottom", label: qsTr("Bottom"), minimum: 0, maximum: 100, factor: 100, offset: 0, shown: 100, suffix: " %" },
        { property: "width_change", label: qsTr("Width change"), minimum: -100, maximum: 200, factor: 300, offset: 1 / 3, shown: 0, suffix: " %" },
        { property: "height_change", label: qsTr("Height change"), minimum: -100, maximum: 200, factor: 300, offset: 1 / 3, shown: 0, suffix: " %" },
        { property: "rotation", label: qsTr("Rotation"), minimum: -360, maximum: 360, factor: 720, offset: 0.5, shown: 0, suffix: " °" }
    ]

    function stored(row, shown) { return shown / row.factor + row.offset }
    function shownOf(row, value) { return (value - row.offset) * row.factor }

    keyframableParameters: sliders.map(function (row) { return row.property })
    startValues: sliders.map(function (row) { return stored(row, row.shown) })
    middleValues: startValues
    endValues: startValues

    width: 400
    height: 330

    Component.onCompleted: {
        // A slice of the frame cannot be cropped or turned: one thread renders the whole frame.
        filter.set("threads", 1)
        if (filter.isNew) {
            for (var i = 0; i < sliders.length; ++i)
                filter.set(sliders[i].property, startValues[i])
            filter.set("background", "#ffffff")
            filter.set("use_saved_settings", 0)
            filter.savePreset(preset.parameters)
        }
        setControls()
    }

    function enableControls(enabled) {
        for (var i = 0; i < sliders.length; ++i) {
            var row = rows.itemAt(i)
            if (row)
                row.slider.enabled = enabled
        }
    }

    function setControls() {
        blockUpdate = true
        for (var i = 0; i < sliders.length; ++i) {
            var row = rows.itemAt(i)
            if (row) {
                row.slider.value = shownOf(sliders[i], filter.getDouble(sliders[i].property, getPosition()))
                row.keyframes.checked = filter.animateIn <= 0 && filter.animateOut <= 0
                                        && filter.keyframeCount(sliders[i].property) > 0
            }
        }
        background.value = filter.get("background")
        savedSettings.checked = filter.get("use_saved_settings") === "1"
        blockUpdate = false
    }

    GridLayout {
        anchors.fill: parent
        anchors.margins: 8
        columns: 2

        Label {
            text: qsTr("Preset")
            Layout.alignment: Qt.AlignRight
        }
        Shotcut.Preset {
            id: preset
            parameters: keyframableParameters.concat(["background", "use_saved_settings"])
            onBeforePresetLoaded: resetSimpleKeyframes()
            onPresetSelected: {
                setControls()
                initializeSimpleKeyframes()
            }
        }

        Repeater {
            id: rows
            model: root.sliders.length
            delegate: RowLayout {
                property alias slider: slider
                property alias keyframes: keyframes
                readonly property var row: root.sliders[index]
                Layout.columnSpan: 2

                Label {
                    text: row.label
                    Layout.preferredWidth: 100
                    horizontalAlignment: Text.AlignRight
                }
                Shotcut.SliderSpinner {
                    id: slider
                    minimumValue: row.minimum
                    maximumValue: row.maximum
                    decimals: 1
                    suffix: row.suffix
                    onValueChanged: updateFilter(row.property, root.stored(row, value), keyframes, getPosition())
                }
                Shotcut.UndoButton {
                    onClicked: slider.value = row.shown
                }
                Shotcut.KeyframesButton {
                    id: keyframes
                    onToggled: {
                        enableControls(true)
                        toggleKeyframes(checked, row.property, root.stored(row, slider.value))
                    }
                }
            }
        }

        Label {
            text: qsTr("Background")
            Layout.alignment: Qt.AlignRight
        }
        Shotcut.ColorPicker {
            id: background
            onValueChanged: if (!blockUpdate) filter.set("background", value)
        }

        Label {}
        CheckBox {
            id: savedSettings
            text: qsTr("Use the settings saved with vantiro configure")
            onClicked: filter.set("use_saved_settings", checked ? 1 : 0)
        }

        Item {
            Layout.fillHeight: true
        }
    }

    Connections {
        target: filter
        function onChanged() { setControls() }
        function onAnimateInChanged() { setControls() }
        function onAnimateOutChanged() { setControls() }
    }

    Connections {
        target: producer
        function onPositionChanged() { setControls() }
    }
}
