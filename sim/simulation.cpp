#include "sim/simulation.h"

#include "sim/effects.h"

void BuildCollisionShapes() {}

void LaunchBalls(Board& board, float speed) {
    for (int i = 0; i < board.ballCount; ++i) {
        Ball& ball = board.balls[i];
        switch (static_cast<LaunchDirection>(ball.direction)) {
        case LaunchDirection::MinusX: ball.velocity.x -= speed; break;
        case LaunchDirection::PlusZ: ball.velocity.z += speed; break;
        case LaunchDirection::PlusX: ball.velocity.x += speed; break;
        case LaunchDirection::MinusZ: ball.velocity.z -= speed; break;
        default: break;
        }
    }
}

void SimulationTick(Board&, int8_t&) {}

bool StartRoll(Board& board, Board& snapshot, int8_t& ballsAtTarget) {
    board.ResetBallPhysics();
    ClearDebris();
    for (int i = 0; i < board.ballCount; ++i)
        if (board.balls[i].direction < 1 || board.balls[i].direction > 4) return false;
    PlaySoundEffect(SoundEffectId::RunStarted);
    snapshot.CopyFrom(board);
    ballsAtTarget = 0;
    LaunchBalls(board, launchSpeed);
    return true;
}
