#include "windows/TPinouts.h"

#include "windows/EntryList.h"
#include "windows/Pictures.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <exception>

namespace ondrix::windows {
namespace {

constexpr int kListWidth = 121;

} // namespace

TPinouts::TPinouts(WindowServices services) : services_(WithDefaults(std::move(services)))
{
    MakeAuxiliary(*this);
    setWindowTitle(QStringLiteral("Pinouts"));
    resize(544, 375);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    list_ = new EntryList(this, [this](int row) { LoadPicture(row); });
    list_->setFixedWidth(kListWidth);
    list_->addItems({QStringLiteral("SoundCard Audio Jack"), QStringLiteral("Parallel Port"),
                     QStringLiteral("Serial Port")});
    layout->addWidget(list_);

    // Not scaled and not scrolled: the picture sits at the top-left and what
    // does not fit is cut off, without the picture growing the window.
    image_ = new QLabel(this);
    image_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    image_->setMinimumSize(1, 1);
    layout->addWidget(image_, 1);
}

void TPinouts::LoadPicture(int index)
{
    try {
        image_->setPixmap(QPixmap::fromImage(pictures::Load(pictures::PinoutResource(index))));
    } catch (const std::exception& error) {
        services_.showError(error.what());
    }
}

} // namespace ondrix::windows
