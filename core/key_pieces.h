#pragma once

#include <cstdint>
#include <vector>

namespace agrimor {

// Plans the pieces a large result is read in, from a histogram of its document numbers: the
// buckets (each with `to` and `lines`, in key order) are joined while the piece stays within
// `pieceLines` lines; a bucket that holds more than twice that is handed to `cutFurther`, which
// counts it again in narrower buckets, unless `canCutFurther` says the buckets are one number wide
// already (one number's lines are never split).
template <class Bucket, class CutFurther>
void joinBuckets(const std::vector<Bucket>& counted, int pieceLines, bool canCutFurther,
                 std::vector<Bucket>& pieces, CutFurther cutFurther) {
    Bucket joined{};  // the buckets joined so far; none while its count is 0
    for (const Bucket& bucket : counted) {
        const bool tooLarge =
            bucket.lines > 2 * static_cast<std::int64_t>(pieceLines) && canCutFurther;
        if (joined.lines > 0 && (tooLarge || joined.lines + bucket.lines > pieceLines)) {
            pieces.push_back(joined);
            joined.lines = 0;
        }
        if (tooLarge) {
            cutFurther(bucket);
        } else if (joined.lines == 0) {
            joined = bucket;
        } else {
            joined.to = bucket.to;
            joined.lines += bucket.lines;
        }
    }
    if (joined.lines > 0)
        pieces.push_back(joined);
}

}  // namespace agrimor
