#pragma once
// Where each tick source starts within the period in one round of a side-by-side comparison, as a share of
// the period. Pure arithmetic; the measuring code starts its sources at these points.

namespace bench {

struct RoundStarts {
    double baseline;
    double precision;
    double standard; // the standard timer, where it ticks beside them
};

// The baseline and the precision timer trade the start of the period and its middle every round, so that
// over two rounds neither keeps the first start, the phase or its threads' placement; the standard timer
// starts a quarter period from both.
inline RoundStarts roundStarts(int round)
{
    const bool baselineFirst = round % 2 == 0;
    return {baselineFirst ? 0.0 : 0.5, baselineFirst ? 0.5 : 0.0, 0.75};
}

} // namespace bench
