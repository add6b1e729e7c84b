#include "app/TimeLapseDialog.h"

#include "l10n/Localization.h"
#include "viewer/ViewerSettings.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>

#include <cmath>

using recorder::TimeLapse;

namespace {

constexpr double kDefaultEverySeconds = 10;
constexpr int kMostPictures = 100'000;

using l10n::text;

}  // namespace

TimeLapseDialog::TimeLapseDialog(QWidget *parent) : QDialog(parent) {
    setWindowTitle(text("timelapse_title"));
    every_ = new QDoubleSpinBox(this);
    every_->setObjectName(QStringLiteral("timelapse_every"));
    every_->setRange(double(TimeLapse::kShortestInterval.count()),
                     double(TimeLapse::kLongestInterval.count()));
    every_->setDecimals(1);
    every_->setSuffix(text("timelapse_seconds_suffix"));
    every_->setValue(
        ViewerSettings::text(ViewerSettings::kTimeLapseEveryKey, QString::number(kDefaultEverySeconds))
            .toDouble());
    count_ = new QSpinBox(this);
    count_->setObjectName(QStringLiteral("timelapse_count"));
    count_->setRange(0, kMostPictures);
    count_->setSpecialValueText(text("timelapse_until_stopped"));
    count_->setValue(ViewerSettings::text(ViewerSettings::kTimeLapseCountKey, QStringLiteral("0")).toInt());
    auto *form = new QFormLayout(this);
    form->addRow(text("timelapse_every"), every_);
    form->addRow(text("timelapse_count"), count_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    every_->setAccessibleName(text("timelapse_every"));
    count_->setAccessibleName(text("timelapse_count"));
}

TimeLapse::Plan TimeLapseDialog::plan() const {
    TimeLapse::Plan plan;
    plan.every = std::chrono::milliseconds(std::llround(every_->value() * 1000));
    plan.count = count_->value();
    return plan;
}

void TimeLapseDialog::remember() const {
    ViewerSettings::setText(ViewerSettings::kTimeLapseEveryKey, QString::number(every_->value()));
    ViewerSettings::setText(ViewerSettings::kTimeLapseCountKey, QString::number(count_->value()));
}
