#include "BpsEncoder.h"

#include "BpsNumber.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

namespace morvane {

namespace {

using enum BpsAction;

// The matcher indexes strings of this many bytes: a copy from an arbitrary place costs an action
// word and a distance, so a shorter one seldom beats carrying the bytes.
constexpr std::size_t kHashedBytes = 4;
// The bounds of the hash table's size, in bits of the hash.
constexpr int kFewestHashBits = 12;
constexpr int kMostHashBits = 20;
constexpr std::uint32_t kNowhere = std::numeric_limits<std::uint32_t>::max();
// The most places of the source indexed: every place of a sprite area and the code around it,
// and of a 1 MiB image without long runs every eighth, which keeps the index to a few
// milliseconds' work.
constexpr std::size_t kMostSourcePlaces = std::size_t {1} << 17;
// How many earlier places sharing a hash are tried at each position. Sprite blocks repeat their
// rows often, so the nearest few dozen hold the useful copies; the cap keeps an image of few
// distinct strings from costing quadratic time.
constexpr int kChainDepth = 32;
// A match this long is taken at once without weighing the alternatives: a long unchanged or
// repeated stretch then costs one comparison, not a plan over every byte of it.
constexpr std::size_t kLongMatch = 64;
// The most output one plan weighs before it commits to its cheapest path.
constexpr std::size_t kPlanLength = 4096;
// Of a run of one byte value (the zeros between banks), only the places within this many bytes
// of either end are indexed: a copy of the run can start at its beginning, one leading into the
// next bytes near its end, and the middle would only crowd the chains.
constexpr std::size_t kRunEdge = 16;
// After this many positions in a row where the index offered no copy, it is asked at every second
// position, after twice as many at every third, and so on: bytes unlike anything before them,
// such as compressed data, then cost little time, and the first copy found restores the pace.
constexpr unsigned kMissesPerStride = 64;
// The output bytes before the end of a long match that stay indexed for later copies.
constexpr std::size_t kTailIndexed = 64;

// The most bytes a number takes: ten groups of seven bits hold any 64-bit value.
constexpr std::size_t kMaxNumberBytes = 10;
constexpr std::uint64_t kUnreached = std::numeric_limits<std::uint64_t>::max();

std::size_t NumberBytes(std::uint64_t value)
{
    std::size_t bytes = 1;
    for (value >>= 7; value != 0; value >>= 7) {
        ++bytes;
        --value;
    }
    return bytes;
}

// A copy names its place as a signed distance from where the last copy of its kind ended,
// the sign in the lowest bit.
std::uint64_t DistanceCode(std::int64_t from, std::int64_t to)
{
    const std::int64_t distance = to - from;
    return distance < 0 ? (static_cast<std::uint64_t>(-distance) << 1) | 1u
                        : static_cast<std::uint64_t>(distance) << 1;
}

std::uint64_t ActionWord(BpsAction action, std::size_t length)
{
    return (static_cast<std::uint64_t>(length - 1) << 2) | static_cast<std::uint64_t>(action);
}

// How many bytes from `a` and `b` agree, up to `cap`; eight at a time, since unchanged
// stretches run to thousands of bytes.
std::size_t CommonLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t cap)
{
    std::size_t length = 0;
    for (; length + 8 <= cap; length += 8) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (x != y) {
            const std::uint64_t differ = x ^ y;
            return length
                + static_cast<std::size_t>(
                    (std::endian::native == std::endian::little ? std::countr_zero(differ)
                                                                : std::countl_zero(differ))
                    / 8);
        }
    }
    while (length < cap && a[length] == b[length])
        ++length;
    return length;
}

// Hash chains over the kHashedBytes-byte strings of one image: for each hash the last place
// indexed, and for each place the one indexed before it with the same hash. Places are indexed
// in increasing order. The table grows with the places indexed, about one head for each: fewer
// would send each look-up through chains of unrelated places that merely share a hash, and a
// table sized for the whole image would cost more to clear than a small change costs to plan.
class ChainIndex {
public:
    // `places` is how many places are expected, when known.
    explicit ChainIndex(std::span<const std::uint8_t> data, std::size_t places = 0) : data_(data)
    {
        links_.reserve(places);
        Resize(
            std::clamp(static_cast<int>(std::bit_width(places)), kFewestHashBits, kMostHashBits));
    }

    void Insert(std::size_t at)
    {
        links_.push_back({static_cast<std::uint32_t>(at), kNowhere});
        if (links_.size() > head_.size() && bits_ < kMostHashBits) {
            Resize(std::min(bits_ + 2, kMostHashBits));
            for (std::size_t link = 0; link < links_.size(); ++link)
                Chain(link);
        } else {
            Chain(links_.size() - 1);
        }
    }

    // The places whose string may equal the kHashedBytes bytes at `key`, latest first.
    template <typename Visit> void ForEach(const std::uint8_t* key, Visit visit) const
    {
        std::uint32_t link = head_[Hash(key)];
        for (int depth = 0; link != kNowhere && depth < kChainDepth;
             ++depth, link = links_[link].previous)
            visit(links_[link].place);
    }

private:
    // A place indexed, and the link indexed before it with the same hash.
    struct Link {
        std::uint32_t place;
        std::uint32_t previous;
    };

    std::uint32_t Hash(const std::uint8_t* at) const
    {
        std::uint32_t word;
        std::memcpy(&word, at, sizeof word);
        return (word * 2654435761u) >> (32 - bits_);
    }

    void Resize(int bits)
    {
        bits_ = bits;
        head_.assign(std::size_t {1} << bits, kNowhere);
    }

    void Chain(std::size_t link)
    {
        std::uint32_t& head = head_[Hash(data_.data() + links_[link].place)];
        links_[link].previous = head;
        head = static_cast<std::uint32_t>(link);
    }

    std::span<const std::uint8_t> data_;
    int bits_ = 0;
    std::vector<std::uint32_t> head_;
    std::vector<Link> links_;
};

// One way to make the next `length` bytes of output; `extraBytes` is what the patch spends on
// it besides its action word (the distance of a copy).
struct Move {
    std::size_t length;
    BpsAction action;
    std::int64_t origin;
    std::size_t extraBytes;
};

// The cheapest way found to reach one output position of a plan, and the state it leaves:
// where the next copy of each kind is measured from, and how long the carried bytes run.
struct Step {
    std::uint64_t cost;
    std::size_t from;
    Move move;
    std::int64_t sourceRelative;
    std::int64_t targetRelative;
    std::size_t carried;
};

// Plans the output in stretches of up to kPlanLength bytes: every position's cheapest path is
// found from the cheapest paths to the positions before it (the shortest path through the
// stretch, each move priced in patch bytes), and the path to the end of the stretch, or to a
// long match, is written.
class Encoder {
public:
    Encoder(std::vector<std::uint8_t>& patch, std::span<const std::uint8_t> source,
        std::span<const std::uint8_t> target)
        : patch_(patch), source_(source), target_(target), targetIndex_(target), steps_(1)
    {
        // Room for the longest plan, so a step held by reference stays put as steps are added;
        // only the steps a plan reaches are ever touched.
        steps_.reserve(kPlanLength + 1);
    }

    void Run()
    {
        std::size_t at = 0;
        while (at < target_.size())
            at = Plan(at);
        Flush();
    }

private:
    // The places of the source worth indexing: all but the middle of each run of one value.
    template <typename Use> void ForEachSourcePlace(Use use) const
    {
        const std::size_t size = source_.size();
        std::size_t runStart = 0;
        std::size_t runEnd = 0;
        for (std::size_t at = 0; at + kHashedBytes <= size;) {
            if (at >= runEnd) {
                const std::uint8_t value = source_[at];
                runStart = at;
                runEnd = static_cast<std::size_t>(
                    std::find_if(source_.begin() + static_cast<std::ptrdiff_t>(at), source_.end(),
                        [value](std::uint8_t b) { return b != value; })
                    - source_.begin());
            }
            // Inside a run and clear of both its edges: go on at the last edge.
            if (at + kHashedBytes <= runEnd && at - runStart >= kRunEdge
                && runEnd - at - kHashedBytes >= kRunEdge) {
                at = runEnd - kHashedBytes - kRunEdge + 1;
                continue;
            }
            use(at);
            ++at;
        }
    }

    // Built at the first change, so identical images cost no index. Of an image with more
    // places than kMostSourcePlaces, only every second, fourth, ... place is indexed, so that
    // about that many are: a copy found at one of them is then traced back to where it starts.
    const ChainIndex& SourceIndex()
    {
        if (!sourceIndex_) {
            std::size_t places = 0;
            ForEachSourcePlace([&](std::size_t) { ++places; });
            sourceStride_ = std::bit_ceil((places + kMostSourcePlaces - 1) / kMostSourcePlaces);
            sourceIndex_ = std::make_unique<ChainIndex>(source_, places / sourceStride_ + 1);
            ForEachSourcePlace([&](std::size_t at) {
                if (at % sourceStride_ == 0)
                    sourceIndex_->Insert(at);
            });
        }
        return *sourceIndex_;
    }

    // The output is indexed where plans pass, which is about where it differs from the source.
    void IndexTargetBefore(std::size_t at)
    {
        for (; targetIndexed_ < at; ++targetIndexed_) {
            if (targetIndexed_ + kHashedBytes <= target_.size())
                targetIndex_.Insert(targetIndexed_);
        }
    }

    std::size_t SourceLength(std::int64_t from, std::size_t at, std::size_t cap) const
    {
        if (from < 0 || static_cast<std::size_t>(from) >= source_.size())
            return 0;
        const auto start = static_cast<std::size_t>(from);
        return CommonLength(
            source_.data() + start, target_.data() + at, std::min(cap, source_.size() - start));
    }

    // A copy from the output may run on into the bytes it writes, so it is measured against the
    // target itself, past `at` if need be.
    std::size_t TargetLength(std::int64_t from, std::size_t at, std::size_t cap) const
    {
        if (from < 0 || static_cast<std::size_t>(from) >= at)
            return 0;
        return CommonLength(target_.data() + from, target_.data() + at, cap);
    }

    // The moves worth weighing at output position `at`, reached in the state of `step`, none
    // longer than `cap`: for each price of a distance the longest move, and of those only the
    // ones cheaper than every longer one, longest first.
    void FindMoves(std::size_t at, const Step& step, std::size_t cap)
    {
        moves_.clear();
        unsearched_ = 0;
        longest_.fill(Move {0, SourceRead, 0, 0});
        const auto add = [&](BpsAction action, std::int64_t origin, std::size_t length,
                             std::size_t extraBytes) {
            Move& best = longest_[extraBytes];
            if (length > best.length)
                best = {length, action, origin, extraBytes};
        };
        if (at < source_.size()) {
            const std::size_t same = CommonLength(
                source_.data() + at, target_.data() + at, std::min(cap, source_.size() - at));
            add(SourceRead, 0, same, 0);
            if (same == cap) {
                moves_.push_back(longest_[0]);
                return;
            }
        }
        // A copy is measured only if it could run further than every move found at its price
        // or less: one byte tells most of them apart. `shortest` is the least length worth a
        // copy's action word and distance.
        const auto addCopy = [&](BpsAction action, std::int64_t origin, std::int64_t relative,
                                 std::size_t shortest) {
            const bool fromSource = action == SourceCopy;
            if (origin < 0
                || static_cast<std::size_t>(origin) >= (fromSource ? source_.size() : at))
                return;
            const std::uint8_t* from
                = (fromSource ? source_.data() : target_.data()) + static_cast<std::size_t>(origin);
            // A copy from the output may run on into the bytes it writes.
            const std::size_t most = fromSource
                ? std::min(cap, source_.size() - static_cast<std::size_t>(origin))
                : cap;
            const std::size_t price = NumberBytes(DistanceCode(relative, origin));
            std::size_t beat = shortest - 1;
            for (std::size_t cheaper = 0; cheaper <= price; ++cheaper)
                beat = std::max(beat, longest_[cheaper].length);
            if (beat >= most || from[beat] != target_[at + beat])
                return;
            add(action, origin, CommonLength(from, target_.data() + at, most), price);
        };
        // Copies that go on where the last one ended cost a one-byte distance, so they are worth
        // taking at lengths the index does not look for.
        addCopy(SourceCopy, step.sourceRelative, step.sourceRelative, 2);
        addCopy(TargetCopy, step.targetRelative, step.targetRelative, 2);
        if (target_.size() - at >= kHashedBytes && at >= nextSearch_) {
            const std::uint8_t* key = target_.data() + at;
            if (source_.size() >= kHashedBytes) {
                SourceIndex().ForEach(key, [&](std::uint32_t from) {
                    addCopy(SourceCopy, from, step.sourceRelative, kHashedBytes);
                });
            }
            targetIndex_.ForEach(key, [&](std::uint32_t from) {
                addCopy(TargetCopy, from, step.targetRelative, kHashedBytes);
            });
            const bool found = std::any_of(longest_.begin() + 1, longest_.end(),
                [](const Move& move) { return move.length > 0; });
            misses_ = found ? 0 : misses_ + 1;
            nextSearch_ = at + 1 + misses_ / kMissesPerStride;
            unsearched_ = at - std::min(at, searched_ + 1);
            searched_ = at;
        }
        for (const Move& move : longest_) {
            if (move.length > (moves_.empty() ? 0 : moves_.back().length))
                moves_.push_back(move);
        }
        std::reverse(moves_.begin(), moves_.end());
    }

    void Relax(std::size_t from, std::size_t to, const Move& move, std::uint64_t cost)
    {
        // Steps are made ready as moves first reach them, so a plan cut short by a long match
        // costs no more than the stretch it covered.
        if (steps_.size() <= to)
            steps_.resize(to + 1);
        for (; prepared_ < to; ++prepared_)
            steps_[prepared_ + 1].cost = kUnreached;
        Step& next = steps_[to];
        if (cost >= next.cost)
            return;
        const Step& here = steps_[from];
        next = {cost, from, move, here.sourceRelative, here.targetRelative, 0};
        if (move.action == SourceCopy)
            next.sourceRelative = move.origin + static_cast<std::int64_t>(move.length);
        else if (move.action == TargetCopy)
            next.targetRelative = move.origin + static_cast<std::int64_t>(move.length);
        else if (move.action == TargetRead)
            next.carried = here.carried + move.length;
    }

    // Plans from output position `start` and writes the path; returns where the next plan starts.
    std::size_t Plan(std::size_t start)
    {
        const std::size_t limit = std::min(kPlanLength, target_.size() - start);
        steps_[0] = {0, 0, {}, sourceRelative_, targetRelative_,
            pending_.action == TargetRead ? pending_.length : 0};
        prepared_ = 0;

        std::size_t end = limit;
        std::optional<Move> longMove;
        for (std::size_t j = 0; j < limit; ++j) {
            const std::size_t at = start + j;
            IndexTargetBefore(at);
            FindMoves(at, steps_[j], std::min(kLongMatch, target_.size() - at));
            if (!moves_.empty() && moves_.front().length >= kLongMatch) {
                longMove = LongestOf(at);
                const std::size_t back = ReachBack(*longMove, at, j);
                longMove->origin -= static_cast<std::int64_t>(back);
                longMove->length += back;
                end = j - back;
                break;
            }
            const Step& here = steps_[j];
            const std::size_t carried = here.carried;
            const std::size_t header = NumberBytes(ActionWord(TargetRead, carried + 1))
                - (carried == 0 ? 0 : NumberBytes(ActionWord(TargetRead, carried)));
            Relax(j, j + 1, {1, TargetRead, 0, 0}, here.cost + 1 + header);
            // Every length up to a move's own is a move too; each is priced with the cheapest
            // move that reaches it.
            std::size_t next = 0;
            for (std::size_t length
                 = std::min(moves_.empty() ? 0 : moves_.front().length, limit - j);
                 length > 0; --length) {
                while (next + 1 < moves_.size() && moves_[next + 1].length >= length)
                    ++next;
                Move move = moves_[next];
                move.length = length;
                Relax(j, j + length, move,
                    steps_[j].cost + NumberBytes(ActionWord(move.action, length))
                        + move.extraBytes);
            }
            for (const Move& move : moves_) {
                const std::size_t back = ReachBack(move, at, j);
                if (back == 0)
                    continue;
                const std::size_t from = j - back;
                const Step& there = steps_[from];
                Move longer {std::min(move.length + back, limit - from), move.action,
                    move.origin - static_cast<std::int64_t>(back), 0};
                longer.extraBytes = NumberBytes(DistanceCode(
                    move.action == SourceCopy ? there.sourceRelative : there.targetRelative,
                    longer.origin));
                Relax(from, from + longer.length, longer,
                    there.cost + NumberBytes(ActionWord(longer.action, longer.length))
                        + longer.extraBytes);
            }
        }

        path_.clear();
        for (std::size_t j = end; j > 0; j = steps_[j].from)
            path_.push_back(steps_[j].move);
        for (auto move = path_.rbegin(); move != path_.rend(); ++move)
            Put(*move);
        std::size_t next = start + end;
        if (longMove) {
            Put(*longMove);
            next += longMove->length;
            targetIndexed_ = std::max(targetIndexed_, next - std::min(next, kTailIndexed));
        }
        return next;
    }

    // How many of the positions the index skipped just before `at` (and after the plan's start,
    // `j` positions back) a copy found at `at` also matches: it may as well have started there.
    std::size_t ReachBack(const Move& move, std::size_t at, std::size_t j) const
    {
        if (move.action != SourceCopy && move.action != TargetCopy)
            return 0;
        const std::uint8_t* from = (move.action == SourceCopy ? source_ : target_).data();
        // A copy from the source may also have started at one of the places between those the
        // index holds.
        const std::size_t skipped
            = move.action == SourceCopy ? std::max(unsearched_, sourceStride_ - 1) : unsearched_;
        const std::size_t most = std::min({skipped, j, static_cast<std::size_t>(move.origin)});
        std::size_t back = 0;
        while (back < most
            && from[static_cast<std::size_t>(move.origin) - back - 1] == target_[at - back - 1])
            ++back;
        return back;
    }

    // Of the long moves found at `at`, the one that runs furthest, measured to its end.
    Move LongestOf(std::size_t at) const
    {
        Move best = moves_.front();
        best.length = 0;
        for (const Move& move : moves_) {
            if (move.length < kLongMatch)
                break;
            Move whole = move;
            const std::size_t cap = target_.size() - at;
            whole.length = move.action == SourceRead ? CommonLength(source_.data() + at,
                               target_.data() + at, std::min(cap, source_.size() - at))
                : move.action == SourceCopy          ? SourceLength(move.origin, at, cap)
                                                     : TargetLength(move.origin, at, cap);
            if (whole.length > best.length)
                best = whole;
        }
        return best;
    }

    // Adds a move to the patch, joined to the one before when it simply goes on from it.
    void Put(const Move& move)
    {
        const bool joins = pending_.length > 0 && pending_.action == move.action
            && (move.action == SourceRead || move.action == TargetRead
                || move.origin == pending_.origin + static_cast<std::int64_t>(pending_.length));
        if (joins) {
            pending_.length += move.length;
        } else {
            Flush();
            pending_ = move;
            pendingAt_ = written_;
        }
        written_ += move.length;
        const auto end = move.origin + static_cast<std::int64_t>(move.length);
        if (move.action == SourceCopy)
            sourceRelative_ = end;
        else if (move.action == TargetCopy)
            targetRelative_ = end;
    }

    void Flush()
    {
        if (pending_.length == 0)
            return;
        AppendBpsNumber(patch_, ActionWord(pending_.action, pending_.length));
        const std::int64_t end = pending_.origin + static_cast<std::int64_t>(pending_.length);
        if (pending_.action == TargetRead) {
            const auto first = target_.begin() + static_cast<std::ptrdiff_t>(pendingAt_);
            patch_.insert(
                patch_.end(), first, first + static_cast<std::ptrdiff_t>(pending_.length));
        } else if (pending_.action == SourceCopy) {
            AppendBpsNumber(patch_, DistanceCode(writtenSourceRelative_, pending_.origin));
            writtenSourceRelative_ = end;
        } else if (pending_.action == TargetCopy) {
            AppendBpsNumber(patch_, DistanceCode(writtenTargetRelative_, pending_.origin));
            writtenTargetRelative_ = end;
        }
        pending_.length = 0;
    }

    std::vector<std::uint8_t>& patch_;
    std::span<const std::uint8_t> source_;
    std::span<const std::uint8_t> target_;
    std::unique_ptr<ChainIndex> sourceIndex_;
    std::size_t sourceStride_ = 1;
    ChainIndex targetIndex_;
    std::size_t targetIndexed_ = 0;
    unsigned misses_ = 0;
    std::size_t nextSearch_ = 0;
    // The last position the index was asked at, and how many positions before that it skipped.
    std::size_t searched_ = 0;
    std::size_t unsearched_ = 0;
    std::vector<Step> steps_;
    std::size_t prepared_ = 0;
    std::vector<Move> moves_;
    // The longest move found at each price of its distance in bytes, which no number exceeds.
    std::array<Move, kMaxNumberBytes + 1> longest_ {};
    std::vector<Move> path_;

    // The moves given to Put so far: the output they make and the copy state they leave.
    Move pending_ {0, TargetRead, 0, 0};
    std::size_t pendingAt_ = 0;
    std::size_t written_ = 0;
    std::int64_t sourceRelative_ = 0;
    std::int64_t targetRelative_ = 0;
    // The copy state of the actions already in the patch, which the pending one is measured from.
    std::int64_t writtenSourceRelative_ = 0;
    std::int64_t writtenTargetRelative_ = 0;
};

} // namespace

void AppendBpsActions(std::vector<std::uint8_t>& patch, std::span<const std::uint8_t> source,
    std::span<const std::uint8_t> target)
{
    Encoder(patch, source, target).Run();
}

} // namespace morvane
