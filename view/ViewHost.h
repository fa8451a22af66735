#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QAbstractButton;
class QComboBox;
class QMdiSubWindow;
class QWidget;

namespace tavlex {

class BodySink;

struct ViewerSettings;

// The frame's shared toolbar as the document windows see it. The frame creates the controls
// and wires only SB_Open itself; the active document window connects the others to its own
// handlers (and drops the previous window's connections) each time it is activated.
struct FrameControls {
    QAbstractButton* SB_Open = nullptr;
    QAbstractButton* MarjinBtn = nullptr;
    QAbstractButton* PrnBtn = nullptr;
    QAbstractButton* PageScrollBtn = nullptr;  // checkable
    QAbstractButton* SB_JumpTree = nullptr;    // checkable
    QAbstractButton* JumpBtn = nullptr;
    QAbstractButton* StartBtn = nullptr;
    QAbstractButton* BackBtn = nullptr;
    QAbstractButton* NextBtn = nullptr;
    QAbstractButton* EndBtn = nullptr;
    QAbstractButton* SmallBtn = nullptr;
    QAbstractButton* BigBtn = nullptr;
    QWidget* PL_Ritu = nullptr;    // the zoom panel; enabling it enables the list
    QComboBox* CB_Ritu = nullptr;  // the eleven zoom entries (ZoomItemText)
    QWidget* PL_Top = nullptr;     // the toolbar panel
};

// What a document window needs of the frame that holds it. The frame implements it; tests
// implement it with plain buttons.
class ViewHost {
  public:
    virtual ~ViewHost() = default;

    virtual const FrameControls& Controls() const = 0;
    // The process-wide viewer settings (PageScroll is changed live by the windows).
    virtual ViewerSettings& Settings() = 0;
    // Folder of the temporary album bodies.
    virtual QString TempFolder() const = 0;
    // Where album bodies inflate instead of a temporary file in TempFolder (none: there). Tests
    // use it to hold a body half-way.
    using BodySinkMaker = std::function<std::shared_ptr<BodySink>(std::int64_t bodyLength)>;
    virtual BodySinkMaker BodySinks() const { return {}; }

    virtual void OpenCommand() = 0;      // the frame's open command
    virtual void ToolBarToggle() = 0;    // shows or hides PL_Top
    virtual void StatusBarToggle() = 0;  // shows or hides the active window's status bar
    virtual void ExitCommand() = 0;      // closes the frame
    // Re-sends a maximised child its size so that it lays itself out again.
    virtual void FixMaximizedChild(QMdiSubWindow* window) = 0;
};

}  // namespace tavlex
