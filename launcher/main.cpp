// Program entry of the launcher; the form arrives with the launcher's own code.
int main()
{
    return 0;
}
