#include "scores/repeat_order.h"

#include <algorithm>

namespace zembera::scores {
namespace {

using Marks = std::vector<MeasureMarks>;

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

bool bracketStarts(const Marks& m, int i) {
    return m[at(i)].ending != 0 && (i == 0 || m[at(i - 1)].ending != m[at(i)].ending);
}

// The first measure past the bracket that holds measure `i`.
int pastBracket(const Marks& m, int i) {
    const int bracket = m[at(i)].ending;
    while (i < static_cast<int>(m.size()) && m[at(i)].ending == bracket)
        ++i;
    return i;
}

bool names(const std::vector<int>& passes, int pass) {
    return std::find(passes.begin(), passes.end(), pass) != passes.end();
}

// A repeat under way: where it returns to and the pass being played.
struct Frame {
    int start = 0;
    int pass = 1;
    int id = 0;
};

class Walk {
  public:
    Walk(const Marks& m, std::size_t limit) : m_(m), groups_(endingGroups(m)), limit_(limit) {
        owner_.assign(m.size(), -1);
    }

    std::vector<int> run() {
        const int count = static_cast<int>(m_.size());
        int i = 0;
        while (i < count && order_.size() < limit_) {
            const MeasureMarks& here = m_[at(i)];
            const bool returning = i == returningTo_;
            returningTo_ = -1;
            const int group = groups_.group[at(i)];
            // Past a group of endings the repeat that owns it is over.
            if (!returning && i > 0 && groups_.group[at(i - 1)] >= 0 &&
                groups_.group[at(i - 1)] != group)
                endRepeat(owner_[at(groups_.group[at(i - 1)])], i);
            if (bracketStarts(m_, i) && !returning && !plays(i, group)) {
                i = pastBracket(m_, i);
                continue;
            }
            if (here.forwardRepeat && !returning) stack_.push_back({i, 1, nextId_++});
            order_.push_back(i);
            if (jumped_ && here.fine) break;
            if (jumped_ && here.toCoda) {
                int coda = i + 1;
                while (coda < count && !m_[at(coda)].coda)
                    ++coda;
                if (coda < count) {
                    i = coda;
                    continue;
                }
            }
            // A bracket that another of its group follows returns at its end, written or not.
            const bool returns = here.backwardRepeat ||
                                 (impliedReturn(i, group) && owner_[at(group)] == stack_.back().id);
            if (returns && (!jumped_ || here.afterJump)) {
                Frame& top = stack_.back();
                const bool owned = group >= 0 && owner_[at(group)] == top.id;
                const int written = here.times > 0 ? std::min(here.times, kMostPasses) : 2;
                const int passes = owned ? std::max(groupLargest(group), written) : written;
                if (top.pass < passes) {
                    ++top.pass;
                    i = returningTo_ = top.start;
                    continue;
                }
                // A repeat ending in its own group of brackets is over past the group.
                if (!owned) endRepeat(top.id, i + 1);
            }
            if (!jumped_ && (here.daCapo || here.dalSegno)) {
                int target = 0;
                if (here.dalSegno) {
                    target = -1;
                    for (int k = 0; k < count && target < 0; ++k)
                        if (m_[at(k)].segno) target = k;
                }
                if (target >= 0) {
                    jumped_ = true;
                    stack_.assign(1, Frame{target, 1, 0});
                    i = target;
                    continue;
                }
            }
            ++i;
        }
        return order_;
    }

  private:
    // Whether the bracket starting at `i` plays now.
    bool plays(int i, int group) {
        if (group == i) owner_[at(group)] = stack_.back().id;
        if (jumped_ && !afterJumpGroup(group)) return lastBracket(i, group);
        const Frame* owner = frame(owner_[at(group)]);
        return names(groups_.passes[at(i)], owner ? owner->pass : stack_.back().pass);
    }

    // The last measure of a bracket that is not its group's last, with no jump of its own:
    // without a backward repeat its next pass could not be reached.
    bool impliedReturn(int i, int group) const {
        const MeasureMarks& here = m_[at(i)];
        if (group < 0 || here.daCapo || here.dalSegno || here.toCoda || here.fine) return false;
        const int next = i + 1;
        return next < static_cast<int>(m_.size()) && m_[at(next)].ending != here.ending &&
               groups_.group[at(next)] == group;
    }

    bool lastBracket(int i, int group) const {
        const int next = pastBracket(m_, i);
        return next >= static_cast<int>(m_.size()) || groups_.group[at(next)] != group;
    }

    // A group whose repeat is taken after a jump too.
    bool afterJumpGroup(int group) const {
        for (std::size_t k = at(group); k < m_.size() && groups_.group[k] == group; ++k)
            if (m_[k].backwardRepeat && m_[k].afterJump) return true;
        return false;
    }

    int groupLargest(int group) const {
        int largest = 0;
        for (std::size_t k = at(group); k < m_.size() && groups_.group[k] == group; ++k)
            for (const int pass : groups_.passes[k])
                largest = std::max(largest, pass);
        return largest;
    }

    Frame* frame(int id) {
        for (Frame& f : stack_)
            if (f.id == id) return &f;
        return nullptr;
    }

    // The repeat `id` is over; what follows from `next` on is a new section.
    void endRepeat(int id, int next) {
        const auto f =
            std::find_if(stack_.begin(), stack_.end(), [id](const Frame& x) { return x.id == id; });
        if (f == stack_.end()) return;
        if (f != stack_.begin()) stack_.erase(f);
        if (stack_.size() == 1) stack_.front() = Frame{next, 1, 0};
    }

    const Marks& m_;
    EndingGroups groups_;
    std::size_t limit_;
    std::vector<int> order_;
    // The repeats open, the section since the start (or the last repeat) at the bottom.
    std::vector<Frame> stack_{Frame{}};
    std::vector<int> owner_; // by a group's first measure: the repeat counting its passes
    int nextId_ = 1;
    int returningTo_ = -1;
    bool jumped_ = false;
};

} // namespace

EndingGroups endingGroups(const Marks& m) {
    EndingGroups g;
    g.passes.resize(m.size());
    g.group.assign(m.size(), -1);
    int group = -1;
    int largest = 0;         // of the group so far
    std::vector<bool> named; // by pass: whether a bracket of the group names it
    auto closeGroup = [&] {
        if (group >= 0 && std::find(named.begin() + 1, named.end(), false) != named.end())
            g.gaps.push_back(group);
        group = -1;
    };
    for (int i = 0; i < static_cast<int>(m.size()); ++i) {
        const MeasureMarks& here = m[at(i)];
        if (here.ending == 0) {
            closeGroup();
            continue;
        }
        if (!bracketStarts(m, i)) {
            g.passes[at(i)] = g.passes[at(i - 1)];
            g.group[at(i)] = group;
            continue;
        }
        std::vector<int> passes;
        for (const int p : here.endingFor)
            if (p >= 1 && p <= kMostPasses) passes.push_back(p);
        if (group >= 0 && !passes.empty() &&
            *std::min_element(passes.begin(), passes.end()) <= largest) {
            closeGroup();
            g.restarted.push_back(i);
        }
        if (group < 0) {
            group = i;
            largest = 0;
            named.assign(1, true);
        }
        if (passes.empty()) {
            passes.push_back(std::min(largest + 1, kMostPasses));
            g.blank.push_back(i);
        }
        for (const int p : passes) {
            largest = std::max(largest, p);
            if (named.size() <= at(p)) named.resize(at(p) + 1, false);
            named[at(p)] = true;
        }
        g.passes[at(i)] = std::move(passes);
        g.group[at(i)] = group;
    }
    closeGroup();
    return g;
}

std::vector<int> playOrder(const Marks& measures, std::size_t limit) {
    return Walk(measures, limit).run();
}

} // namespace zembera::scores
