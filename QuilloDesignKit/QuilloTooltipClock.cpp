#include "QuilloDesignKit/QuilloTooltipClock.h"

#include <QTimer>

namespace quillo {

namespace {
class EventLoopClock final : public QuilloTooltipClock {
public:
    void after(int ms, QObject* context, std::function<void()> work) override {
        QTimer::singleShot(ms, context, std::move(work));
    }
};
}  // namespace

QuilloTooltipClock& QuilloTooltipClock::system() {
    static EventLoopClock clock;
    return clock;
}

}  // namespace quillo
