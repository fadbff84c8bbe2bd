#pragma once

#include "Core/Exclusions.h"

#include <functional>
#include <memory>
#include <mutex>

namespace TestSupport {

// Exclusions that show the test every path judged against them: each scanner asks them of every path it would
// offer (after the protected locations), and the removal engine of every path it would remove. Each path that
// the list itself does not cover goes to the test's rule, which may act at that moment (request a stop, change
// the tree) and says whether the path counts as excluded too; without a rule they are plain exclusions. Callable
// from any thread, as scans judge on several at once; the rule runs without a lock held, so that it may wait for
// another thread's judgement.
class WatchedExclusions final : public Exclusions
{
public:
    using Rule = std::function<bool(const QString& path)>;

    using Exclusions::Exclusions;

    void setRule(Rule rule)
    {
        const std::lock_guard lock(m_ruleMutex);
        m_rule = rule ? std::make_shared<const Rule>(std::move(rule)) : nullptr;
    }

    bool isExcludedOrHoldsExclusion(const QString& url) const override
    {
        if (Exclusions::isExcludedOrHoldsExclusion(url))
            return true;
        std::shared_ptr<const Rule> rule;
        {
            const std::lock_guard lock(m_ruleMutex);
            rule = m_rule;
        }
        return rule && (*rule)(url);
    }

private:
    mutable std::mutex m_ruleMutex;
    std::shared_ptr<const Rule> m_rule;
};

} // namespace TestSupport
