#include "updater/patch_move.h"

#include "platform/handover.h"

const FileSteps& platformFileSteps()
{
    static const FileSteps steps = {platformFileExists, platformFileEmpty,  platformSameFileContents,
                                    platformCopyFile,   platformLinkFile,   platformRenameFile,
                                    platformRemoveFile, platformSyncFolder};
    return steps;
}

std::string gameFileName()
{
    return std::string("Tessarine") + platformExecutableSuffix();
}

std::string backupFileName()
{
    return gameFileName() + ".bak";
}

std::string patchFileName()
{
    return std::string("Tessarine_patch") + platformExecutableSuffix();
}

std::string incomingFileName()
{
    return gameFileName() + ".new";
}

std::string backupTempFileName()
{
    return backupFileName() + ".new";
}

MoveResult movePatchIntoPlace(const std::string& gameFolder, const std::string& patchFolder, const FileSteps& steps)
{
    const std::string game = gameFolder + "/" + gameFileName();
    const std::string backup = gameFolder + "/" + backupFileName();
    const std::string incoming = gameFolder + "/" + incomingFileName();
    const std::string backupTemp = gameFolder + "/" + backupTempFileName();

    // A killed run may have left its temporaries; the copies below never write over a file.
    if (!steps.remove(incoming) || !steps.remove(backupTemp))
        return MoveResult::NotMoved;
    if (patchFolder.empty())
        return MoveResult::NoPatchFolder;
    const std::string patch = patchFolder + patchFileName();
    if (!steps.exists(patch))
        return MoveResult::NoPatch;
    // The game writes a patch only whole and verified, so an empty file is none: the old game stays.
    // The file is left for the game, which removes it before it writes the next patch.
    if (steps.empty(patch))
        return MoveResult::EmptyPatch;

    // A run killed after its last rename left the patch behind: the game is already the new one,
    // and backing it up now would throw the real backup away.
    const bool hadGame = steps.exists(game);
    if (hadGame && steps.sameContents(patch, game)) {
        steps.remove(patch);
        return MoveResult::AlreadyInPlace;
    }

    // Copied, not renamed: the patch folder may be on another filesystem.
    if (!steps.copy(patch, incoming)) {
        steps.remove(incoming);
        return MoveResult::NotMoved;
    }
    if (hadGame) {
        // The game keeps its name while the backup is made; a copy where the folder has no hard links.
        bool backedUp = (steps.link(game, backupTemp) || steps.copy(game, backupTemp)) &&
                        steps.rename(backupTemp, backup);
        // A rename between two names of one file (the backup linked by a run killed after its own
        // rename) succeeds without removing the temporary.
        if (!backedUp || !steps.remove(backupTemp)) {
            steps.remove(backupTemp);
            steps.remove(incoming);
            return MoveResult::NotMoved;
        }
    }
    if (!steps.rename(incoming, game)) {
        steps.remove(incoming);
        return MoveResult::NotMoved;
    }
    steps.syncFolder(gameFolder);
    // Left behind if this fails: the next run finds it equal to the game and removes it.
    steps.remove(patch);
    return MoveResult::Moved;
}

int runUpdater(void (*sleepMs)(unsigned milliseconds), int (*launch)(const std::string& path),
               const FileSteps& steps)
{
    // The game starts this just before it ends and relies on it working in the game's folder.
    movePatchIntoPlace(".", platformPatchFolder(), steps);
    sleepMs(1000);
    launch("./" + gameFileName());
    sleepMs(1000);
    return 0;
}
