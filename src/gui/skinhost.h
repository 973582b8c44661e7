#pragma once

#include <QPointer>
#include <QQuickWidget>
#include <QString>

#include "core/iskin.h"

class QQuickItem;
class SceneCommandChannel;
class SceneVariables;

// The visible skin: the Qt Quick scene Main.qml of the Clipvane.Skin module
// filling the main window. The program sets and reads the skin's variables
// by their exact names ("_root.startDownload", ...); the scene sees each one
// without the "_root." prefix as a property of its `vars` object and writes
// back the ones the user edits (the address field). Every command the scene
// sends leaves through FSCommand with its exact text.
class SkinHost : public QQuickWidget, public ISkin
{
    Q_OBJECT

public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 600;

    explicit SkinHost(QWidget *parent = nullptr);
    ~SkinHost() override;

    // Picks Qt Quick's software renderer unless the user chose a backend
    // through QT_QUICK_BACKEND. Call it in main() before the first Qt Quick
    // window exists (best before the application object).
    static void SelectRenderer();

    void SetVariable(const QString &sName, const QString &sValue) override;
    QString GetVariable(const QString &sName) const override;

    // The widget laid over the scene's list area (the download grid). The
    // list area takes its turn in the scene's Tab order and hands the
    // keyboard focus to this widget while it is visible; Tab or Backtab
    // from the widget comes back to the control after or before the list,
    // also when the widget got the focus from a click.
    void SetListWidget(QWidget *widget);

    // Takes the keyboard focus from the scene's control: a field being
    // edited hands in its text (its command) now, not while the window
    // around it is being taken apart.
    void FinishEditing();

Q_SIGNALS:
    void FSCommand(const QString &command, const QString &args);
    // The scene's first frame has been painted into the window (once).
    void FirstFramePainted();

protected:
    bool event(QEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    static QString SceneKey(const QString &sName);
    // The tool tip of the scene's item at a point of the widget, if any.
    QString ToolTipAt(const QPoint &at) const;
    static QString ToolTipAt(QQuickItem &item, const QPointF &at);
    void LoadScene();
    void ListAreaFocusChanged(bool bHasFocus);

    SceneVariables *m_vars;
    SceneCommandChannel *m_commands;
    QQuickItem *m_listArea = nullptr;
    QPointer<QWidget> m_listWidget;
    // A QQuickWidget renders on the GUI thread, before it paints.
    bool m_bRendered = false;
    bool m_bFirstFramePainted = false;
};
