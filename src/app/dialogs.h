#ifndef VIDO_APP_DIALOGS_H_
#define VIDO_APP_DIALOGS_H_

#include <QDialog>
#include <QLineEdit>
#include <string>

#include "model/new_problem.h"
#include "support/user_port.h"

namespace vido {

// The "New Problem" dialog. It lives as long as the main window, so its fields keep the
// last values entered. Keys and the check made when a field is left are the core's;
// messages go through the port.
class NewFileForm : public QDialog {
  Q_OBJECT

 public:
  NewFileForm(UserPort& port, QWidget* parent = nullptr);

  QLineEdit* EditAlt() const { return edit_alt_; }
  QLineEdit* EditCrit() const { return edit_crit_; }
  QLineEdit* EditCat() const { return edit_cat_; }

  void Load(const NewProblemFields& fields);
  void Store(NewProblemFields& fields) const;
  // The check of a field as it is left: false after its message, the field then has
  // the focus again.
  bool LeaveField(QLineEdit* edit);
  // OK: every field is checked first; a refused one keeps the dialog open.
  void accept() override;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  NewProblemField FieldOf(const QLineEdit* edit) const;

  UserPort& port_;
  QLineEdit* edit_alt_;
  QLineEdit* edit_crit_;
  QLineEdit* edit_cat_;
  bool checking_ = false;
};

// "&About...": program name, version line, OK.
class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* parent = nullptr);
};

// "&How to Use Help": the four lines and the help folder.
class GetHelpForm : public QDialog {
  Q_OBJECT

 public:
  GetHelpForm(const std::string& help_folder, QWidget* parent = nullptr);
};

}  // namespace vido

#endif  // VIDO_APP_DIALOGS_H_
