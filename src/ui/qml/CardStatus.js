.pragma library
// The colour of each card status (the model sends the colour's name) and the
// few other tones the window uses.

var palette = {
    "green": "#34C759",
    "red": "#FF3B30",
    "orange": "#FF9500",
    "blue": "#007AFF",
    "grey": "#8E8E93"
}

function color(name) {
    return palette[name] !== undefined ? palette[name] : palette.blue
}

// `name`'s colour at `alpha`, for tinted backgrounds and borders.
function tint(name, alpha) {
    var c = Qt.color(color(name))
    return Qt.rgba(c.r, c.g, c.b, alpha)
}

var primaryText = "#1D1D1F"
var secondaryText = "#6E6E73"
