#include "engine/draw_recorder.h"

std::vector<DrawCall>* drawRecorder = nullptr;

bool recordDraw(const DrawCall& call)
{
    if (!drawRecorder)
        return false;
    drawRecorder->push_back(call);
    return true;
}
