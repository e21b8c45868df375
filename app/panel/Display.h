#pragma once

#include "app/widgets/DisplayWidgets.h"

#include <QWidget>
#include <functional>

namespace ondrix::graph {
class TEasyGraph;
}

namespace ondrix::app {

// The instrument's black display: the status text, an error message that
// replaces it until the next click, and the mini graph of the running outputs.
class TDisplay : public QWidget
{
  public:
    static constexpr const char* kProductText = "Brevant Ondrix";

    explicit TDisplay(QWidget* parent);

    // The status text (CR LF between lines); kept up to date while an error shows.
    void SetStatus(const QString& text);
    const QString& Status() const { return status_->Caption(); }

    // An error replaces the status text until ClearError.
    void ShowError(const QString& message);
    void ClearError();
    bool ShowingError() const { return status_->isHidden(); }
    const QString& ErrorText() const { return error_->Caption(); }

    graph::TEasyGraph& MiniGraph() const { return *miniGraph_; }

    // A click anywhere on the display (text, error or plot).
    std::function<void()> OnClick;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    TPanel* error_;
    TLabel* status_;
    graph::TEasyGraph* miniGraph_;
};

} // namespace ondrix::app
