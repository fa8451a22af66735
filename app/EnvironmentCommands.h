#pragma once

namespace tavlex {

class TVMainForm;
class TViewForm;

// 記録(&D)...: the document window's layout becomes the setting for windows opened later
// (contents panel, window size or maximised, zoom, status bar), written at once and confirmed
// with "現在の環境を記録しました。". A failed write is reported and nothing follows it.
void RecordEnvironment(TViewForm& form);

// 初期値に戻す(&R): every setting back to its first-run value, written at once and kept at exit;
// the toolbar, this window's status bar and page scrolling come back now, the rest applies to
// windows opened later ("一部の環境は次回起動時に有効です。"). A failed write is reported and
// nothing follows it.
void ResetEnvironment(TViewForm& form, TVMainForm& frame);

}  // namespace tavlex
