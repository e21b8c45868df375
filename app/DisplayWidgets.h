#pragma once

#include <QLabel>
#include <QString>
#include <functional>

namespace ondrix::app {

// A panel with a caption at its left edge, clickable. The caption is kept as
// given; its CR LF line breaks are shown as plain line breaks.
class TPanel : public QLabel
{
  public:
    explicit TPanel(QWidget* parent = nullptr);

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    std::function<void()> OnClick;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QString caption_;
};

// A text label, clickable.
class TLabel : public QLabel
{
  public:
    explicit TLabel(QWidget* parent = nullptr);

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    std::function<void()> OnClick;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QString caption_;
};

} // namespace ondrix::app
