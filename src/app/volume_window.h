#ifndef VIDO_APP_VOLUME_WINDOW_H_
#define VIDO_APP_VOLUME_WINDOW_H_

#include <QDialog>
#include <functional>

#include "analysis/volume.h"
#include "model/workspace.h"
#include "support/user_port.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace vido {

// "VIDO - Volume Computation": shows the core's VolumeForm and forwards its two
// buttons. It lives as long as the main window; the labels keep the last run's texts.
class VolumeWindow : public QDialog {
  Q_OBJECT

 public:
  VolumeWindow(const Workspace& ws, UserPort& port, QWidget* parent = nullptr);

  VolumeForm& Form() { return form_; }
  QSpinBox* PrecisEdit() const { return precis_edit_; }
  QPushButton* StartButton() const { return start_button_; }
  QPushButton* OKButton() const { return ok_button_; }
  QProgressBar* ProgressBar1() const { return progress_; }
  QLabel* DimLabel() const { return dim_label_; }
  QLabel* AbsLabel() const { return abs_label_; }
  QLabel* RelLabel() const { return rel_label_; }

  // Asks a running simulation to stop at its next checkpoint.
  std::function<void()> request_cancel;

  // "&Start simulation".
  void StartButtonClicked();
  // Shows what the form holds.
  void Show();
  // "&Exit", Esc or the close box: a running simulation is stopped first.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const Workspace& ws_;
  UserPort& port_;
  VolumeForm form_;
  bool close_pending_ = false;
  QSpinBox* precis_edit_;
  QPushButton* start_button_;
  QPushButton* ok_button_;
  QProgressBar* progress_;
  QLabel* dim_label_;
  QLabel* abs_label_;
  QLabel* rel_label_;
  QLabel* interval_label_ = nullptr;
};

}  // namespace vido

#endif  // VIDO_APP_VOLUME_WINDOW_H_
