#pragma once
// The tests build their scores with the score model's own builder.
#include "score/ScoreBuilder.h"

using ScoreFixture = ScoreBuilder;
