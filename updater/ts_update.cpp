// The updater: puts a downloaded patch in place and restarts the game.
// Placeholder until the updater is written: it does nothing and reports failure.
int main()
{
    return 1;
}
