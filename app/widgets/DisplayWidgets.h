#pragma once

#include <QLabel>
#include <QString>
#include <functional>

namespace ondrix::app {

// A clickable text whose caption is kept as given; its CR LF line breaks are
// shown as plain line breaks.
class TCaptionWidget : public QLabel
{
  public:
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    std::function<void()> OnClick;

  protected:
    TCaptionWidget(QWidget* parent, Qt::Alignment alignment);
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QString caption_;
};

// A panel with its caption at the left edge, centred vertically and wrapped.
class TPanel : public TCaptionWidget
{
  public:
    explicit TPanel(QWidget* parent = nullptr);
};

// A text label, its caption from the top-left corner.
class TLabel : public TCaptionWidget
{
  public:
    explicit TLabel(QWidget* parent = nullptr) : TCaptionWidget(parent, Qt::AlignLeft | Qt::AlignTop) {}
};

} // namespace ondrix::app
