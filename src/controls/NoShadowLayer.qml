import QtQuick 2.15

// Leaves the style's elevation layer of `target` (a control's background or
// popup background) off where Qt Quick draws with its software scene graph:
// it has no shaders, so the shadow shows nothing there, yet the layer keeps
// its images, and the filled background it should carry is not drawn at all.
Binding {
    property: "layer.enabled"
    value: false
    when: c_SoftwareScene
}
