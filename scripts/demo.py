"""Shows what exists so far: the settings file as the programs create it, under Wine."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from harness import WineSession  # noqa: E402


def main():
    with WineSession("demo") as wine:
        wine.settings_file.unlink(missing_ok=True)
        _, out = wine.run("settings-probe.exe", "read", "Tevra Current Settings")
        print(f"Settings file {wine.settings_file} created by the first read:")
        print(wine.settings_file.read_text().replace("\r\n", "\n"), end="")
        print(f"Current settings read back (notice option, mode): {out.strip()}")


if __name__ == "__main__":
    main()
