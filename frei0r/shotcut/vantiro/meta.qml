import QtQuick 2.0
import org.shotcut.qml 1.0

Metadata {
    type: Metadata.Filter
    name: qsTr("Vantiro")
    keywords: qsTr("crop scale rotate rectangle background", "search keywords for the Vantiro video filter") + " vantiro"
    mlt_service: "frei0r.vantiro"
    qml: "ui.qml"

    keyframes {
        allowAnimateIn: true
        allowAnimateOut: true
        simpleProperties: ["left", "right", "top", "bottom", "width_change", "height_change", "rotation"]
        parameters: [
            Parameter { name: qsTr("Left"); property: "left"; isCurve: true; minimum: 0; maximum: 1 },
            Parameter { name: qsTr("Right"); property: "right"; isCurve: true; minimum: 0; maximum: 1 },
            Parameter { name: qsTr("Top"); property: "top"; isCurve: true; minimum: 0; maximum: 1 },
            Parameter { name: qsTr("Bottom"); property: "bottom"; isCurve: true; minimum: 0; maximum: 1 },
            Parameter { name: qsTr("Width change"); property: "width_change"; isCurve: true; minimum: 0; maximum: 1 },
            Parameter { name: qsTr("Height change"); property: "height_change"; isCurve: true; minimum: 0; maximum: 1 },
            Parameter { name: qsTr("Rotation"); property: "rotation"; isCurve: true; minimum: 0; maximum: 1 }
        ]
    }
}
