#pragma once

namespace tavlex {

// The viewer's remembered preferences (section "View_Env" of the viewer's INI file), with the
// values a first run starts from.
struct ViewerSettings {
    bool TreePanel = true;      // contents panel of a new document window visible
    int TreeWidth = 0;          // its width; used only above 20
    bool FormMaximized = true;  // a new document window opens maximised
    int FormWidth = 0;          // outer size of a new, normal document window;
    int FormHeight = 0;         // used only when both exceed 20
    int ZoomIndex = 1;          // zoom list entry of a newly loaded document (whole page)
    bool PageScroll = true;     // scrolling past a page's end turns the page (shared, live)
    bool ToolBar = true;        // the frame's toolbar visible
    bool StatusBar = true;      // status bar of a new document window visible
};

// The process-wide settings (user-interface thread only).
ViewerSettings& Settings();

}  // namespace tavlex
