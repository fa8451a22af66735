#pragma once

#include <QIcon>

namespace tavlex {

// The pictures of the frame's toolbar buttons, drawn in code.
enum class ToolbarGlyph {
    Open,
    Margin,
    Print,
    PageScroll,
    Contents,
    Jump,
    Start,
    Back,
    Next,
    End,
    Small,
    Big,
};

// A 20 x 20 icon (with a sharp 2x version); its disabled form is the style's greyed one.
QIcon ToolbarIcon(ToolbarGlyph glyph);

// The program's own window icon: a photo album.
QIcon ApplicationIcon();

}  // namespace tavlex
