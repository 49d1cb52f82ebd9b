#include "platform/Faults.h"

#include <algorithm>

namespace sorvik::platform {

void FaultPlan::failAt(FsCall call, int nth, int err, std::string pathPart)
{
    m_rules.push_back(Rule{call, nth, err, {}, std::move(pathPart)});
}

void FaultPlan::failAlways(FsCall call, int err, std::string pathPart)
{
    m_rules.push_back(Rule{call, 0, err, {}, std::move(pathPart)});
}

void FaultPlan::beforeCall(FsCall call, int nth, std::function<void()> action, std::string pathPart)
{
    m_rules.push_back(Rule{call, nth, 0, std::move(action), std::move(pathPart)});
}

int FaultPlan::count(FsCall call, const std::string& pathPart) const
{
    return static_cast<int>(std::count_if(m_seen.begin(), m_seen.end(),
        [&](const Seen& s) { return s.call == call && s.hostPath.find(pathPart) != std::string::npos; }));
}

int FaultPlan::before(FsCall call, const std::string& hostPath)
{
    m_seen.push_back(Seen{call, hostPath});
    int err = 0;
    // By index and on copies: an action may call back into a file system that
    // uses this plan, or add rules.
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        const Rule rule = m_rules[i];
        if (rule.call != call || hostPath.find(rule.pathPart) == std::string::npos)
            continue;
        if (rule.nth > 0 && count(call, rule.pathPart) != rule.nth)
            continue;
        if (rule.action)
            rule.action();
        if (err == 0)
            err = rule.err;
    }
    return err;
}

}
