#include "app/volume_window.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vido {

VolumeWindow::VolumeWindow(const Workspace& ws, UserPort& port, QWidget* parent)
    : QDialog(parent), ws_(ws), port_(port) {
  setObjectName("VolumeForm");
  setWindowTitle(VolumeForm::kTitle);
  auto* layout = new QVBoxLayout(this);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Precision:", this));
  precis_edit_ = new QSpinBox(this);
  precis_edit_->setObjectName("PrecisEdit");
  precis_edit_->setRange(VolumeForm::kMinPrecision, VolumeForm::kMaxPrecision);
  precis_edit_->setValue(form_.precision);
  precis_edit_->setWrapping(false);
  precis_edit_->findChild<QLineEdit*>()->setReadOnly(true);
  connect(precis_edit_, &QSpinBox::valueChanged, this,
          [this](int digits) { form_.SetPrecision(digits); });
  top->addWidget(precis_edit_);
  top->addSpacing(16);
  start_button_ = new QPushButton("&Start simulation", this);
  start_button_->setObjectName("StartButton");
  start_button_->setAutoDefault(false);
  connect(start_button_, &QPushButton::clicked, this, &VolumeWindow::StartButtonClicked);
  top->addWidget(start_button_);
  top->addStretch();
  layout->addLayout(top);

  progress_ = new QProgressBar(this);
  progress_->setObjectName("ProgressBar1");
  progress_->setRange(0, VolumeForm::kProgressMaximum);
  progress_->setTextVisible(false);
  layout->addWidget(progress_);

  auto* values = new QGridLayout;
  const char* captions[] = {VolumeForm::kDimensionCaption, VolumeForm::kAbsoluteCaption,
                            VolumeForm::kRelativeCaption, VolumeForm::kIntervalCaption};
  const char* names[] = {"DimLabel", "AbsLabel", "RelLabel", "IntervalLabel"};
  QLabel** labels[] = {&dim_label_, &abs_label_, &rel_label_, &interval_label_};
  for (int i = 0; i < 4; ++i) {
    values->addWidget(new QLabel(captions[i], this), i, 0);
    *labels[i] = new QLabel(this);
    (*labels[i])->setObjectName(names[i]);
    (*labels[i])->setMinimumWidth(100);
    values->addWidget(*labels[i], i, 1);
  }
  values->setColumnStretch(2, 1);
  layout->addLayout(values);
  layout->addStretch();

  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  ok_button_ = new QPushButton("&Exit", this);
  ok_button_->setObjectName("OKButton");
  ok_button_->setAutoDefault(false);
  connect(ok_button_, &QPushButton::clicked, this, &VolumeWindow::reject);
  bottom->addWidget(ok_button_);
  layout->addLayout(bottom);

  // Every checkpoint shows its estimate at once; the core lets events through after it.
  form_.repaint = [this](const VolumeForm&) {
    Show();
    repaint();
  };
  resize(360, 200);
}

void VolumeWindow::Show() {
  dim_label_->setText(QString::fromStdString(form_.dimension));
  abs_label_->setText(QString::fromStdString(form_.absolute_volume));
  rel_label_->setText(QString::fromStdString(form_.relative_volume));
  interval_label_->setText(QString::fromStdString(form_.volume_interval));
  progress_->setValue(form_.progress_position);
  start_button_->setEnabled(!form_.running);
  precis_edit_->setEnabled(!form_.running);
}

void VolumeWindow::StartButtonClicked() {
  if (form_.running) return;
  StartButtonClick(ws_, port_, form_);
  Show();
  // "&Exit" during the run stopped it; the window closes now that it has ended.
  if (close_pending_) {
    close_pending_ = false;
    QDialog::reject();
  }
}

void VolumeWindow::showEvent(QShowEvent* event) {
  FormShow(form_);
  Show();
  QDialog::showEvent(event);
}

void VolumeWindow::reject() {
  if (form_.running) {
    if (request_cancel) request_cancel();
    close_pending_ = true;
    return;
  }
  QDialog::reject();
}

}  // namespace vido
