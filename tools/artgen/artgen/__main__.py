"""Entry point: python3 -m artgen (from tools/artgen), or python3 tools/artgen/artgen."""

import os
import sys

if not __package__:
    # Run as a folder: only the folder itself is on the path, so make the
    # package importable from its parent.
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

from artgen.cli import main  # noqa: E402

sys.exit(main(sys.argv))
