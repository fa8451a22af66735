#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace tavlex {

class TVMainForm;

// A plain-text account of what the viewer shows, kept up to date in a file named by the
// environment variable TAVLEX_STATE_FILE (unset: nothing is written). Tests that start the real
// program read it to see what a hand-over did; the file is replaced whole on every change:
//
//     documents N
//     document <album path, empty for a window left without a page>   (N lines, oldest first)
//     modal <class name of the active modal dialog, or "-">
//     minimized 0|1
class StateReport : public QObject {
    Q_OBJECT

  public:
    StateReport(TVMainForm& frame, QString path, QObject* parent = nullptr);

    // The report as it reads now.
    static QString Describe(const TVMainForm& frame);

  private:
    void Update();

    TVMainForm& frame_;
    QString path_;
    QString written_;
    QTimer poll_;
};

}  // namespace tavlex
