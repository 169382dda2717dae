.pragma library
// The colour of each card status (the model sends the colour's name) in the
// theme's palette, and tinted versions of it. The palette is passed in, so a
// binding that calls these reads the theme and is redrawn when it changes.

function color(palette, name) {
    return palette[name] !== undefined ? palette[name] : palette.blue
}

// `name`'s colour at `alpha`, for tinted backgrounds and borders.
function tint(palette, name, alpha) {
    var c = color(palette, name)
    return Qt.rgba(c.r, c.g, c.b, alpha)
}
