// The "Search for Device" dialog: shown while the device is waited for, it ends the search
// when the user closes it. Shared by both programs.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QPushButton;

class SearchPort : public QDialog {
    Q_OBJECT

public:
    // An empty `message` keeps the default text.
    explicit SearchPort(const QString& message, QWidget* parent = nullptr);

    QPushButton* BtnCancel = nullptr;
    QLabel* labelSearch = nullptr;

signals:
    // Sent once, whenever the dialog finishes. `port` is always empty; `Simple` is false
    // only when Cancel closed the dialog (title bar and Escape merely hide it).
    void SigExit(QString& port, bool Simple);

public slots:
    void on_BtnCancel_clicked();
    void on_SearchPort_finished(int result);

private:
    void setupForm();
    void retranslateForm();

    QList<QWidget*> scaledWidgets;
    bool simple = true;
};
