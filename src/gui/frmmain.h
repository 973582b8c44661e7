#pragma once

#include <QWidget>

#include <memory>

#include "core/skinvariables.h"
#include "gui/widgetmessagebox.h"

class DownloadGrid;
class DownloadSession;
class QComboBox;
class QLineEdit;
class QPushButton;

// The main window: where the subsystems meet. It owns their objects, wires
// them together and keeps only its own control handlers.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    DownloadSession &Session() const { return *m_session; }

private:
    void cmdAdd2List_Click();
    void cmdStartDownload_Click();

    QLineEdit *txtURL;
    QPushButton *cmdAdd2List;
    QComboBox *cmbSite;
    QPushButton *cmdStartDownload;
    DownloadGrid *m_pDownloadGrid;

    WidgetMessageBox m_messageBox;
    SkinVariables m_skin;
    std::unique_ptr<DownloadSession> m_session;
};
