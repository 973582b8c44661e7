#pragma once

#include <QWidget>

#include <memory>

#include "app/widgetmessagebox.h"

class DownloadGrid;
class DownloadListStore;
class RunState;
class UrlAdder;
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

    DownloadListStore &ListStore() const { return *m_store; }
    RunState &Run() const { return *m_run; }
    UrlAdder &Adder() const { return *m_adder; }

private:
    void cmdAdd2List_Click();

    QLineEdit *txtURL;
    QPushButton *cmdAdd2List;
    QComboBox *cmbSite;
    DownloadGrid *m_pDownloadGrid;

    WidgetMessageBox m_messageBox;
    std::unique_ptr<DownloadListStore> m_store;
    std::unique_ptr<RunState> m_run;
    std::unique_ptr<UrlAdder> m_adder;
};
