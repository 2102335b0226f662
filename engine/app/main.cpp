// Program entry of the engine; the window and the engine object arrive with the engine spine.
int main()
{
    return 0;
}
