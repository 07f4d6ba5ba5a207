#pragma once

#include "surface/spans.h"

#include <QHash>

#include <array>
#include <utility>

// The spans of the figures drawn lately. The scenes draw the same few
// figures at every frame (the antenna's legs and pivot, the wind's arrows)
// and erase the dish with the very figure they drew it with at the frame
// before: their spans are worked out once and reused.
class FigureCache {
public:
    // A figure's spans depend on nothing else than these.
    struct Key {
        int kind;
        std::array<int, 8> arguments;
        int penWidth;
        qreal ratio;
        bool operator==(const Key& other) const
        {
            return kind == other.kind && arguments == other.arguments && penWidth == other.penWidth &&
                   ratio == other.ratio;
        }
        friend size_t qHash(const Key& key, size_t seed = 0)
        {
            return qHashRange(key.arguments.begin(), key.arguments.end(), qHashMulti(seed, key.kind, key.penWidth));
        }
    };

    // The spans of figure `key`, appended to an empty list by `compute(out)`
    // the first time.
    template <class Compute>
    const Spans& spans(const Key& key, Compute&& compute)
    {
        const auto found = figures_.constFind(key);
        if (found != figures_.constEnd())
            return *found;
        // A curve growing by a pixel at each frame is a new figure each
        // time: forgetting everything now and then bounds the memory.
        if (figures_.size() >= capacity)
            figures_.clear();
        Spans computed;
        std::forward<Compute>(compute)(computed);
        return *figures_.emplace(key, std::move(computed));
    }

private:
    static constexpr qsizetype capacity = 128;
    QHash<Key, Spans> figures_;
};
