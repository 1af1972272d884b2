// The serial-number writer window's widgets, built in code: each widget by object name,
// with its geometry, font, text and initial state. The window's slots are bound by name.
#pragma once

#include <QList>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QWidget;

namespace snwriter {

class MainWindowForm {
public:
    static constexpr double kMaxEntry = 99999999999.0;  // eleven nines

    // Creates the widgets on `MainWindow`, sets their texts and binds the window's
    // on_<object>_<signal> slots to them by object name.
    void setupForm(QMainWindow* MainWindow);
    // Sets every visible text through QCoreApplication::translate("MainWindow", ...).
    void retranslateForm(QMainWindow* MainWindow);

    // Pointers in creation order; the widgets belong to the window's parent chain.
    QWidget* centralwidget = nullptr;
    QPushButton* ButtonConnect = nullptr;
    QLabel* label = nullptr;
    QLineEdit* lineID = nullptr;
    QCheckBox* checkBoxSkipBootLdr = nullptr;
    QLabel* label_IDnew = nullptr;
    QDoubleSpinBox* lineID_new = nullptr;
    QPushButton* ButtonSet = nullptr;
};

}  // namespace snwriter
