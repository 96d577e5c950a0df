#!/usr/bin/env python3
"""Reads the manifests "payload winget" wrote back with a YAML parser of its own and holds
them to the rules of winget's 1.6.0 schemas that a Setup.exe's manifest can break: the
three files and their types, the required fields, the identifier, version, locale, URL
and hash patterns, the switch names and the exit codes. Every value must come back as the
string (or number) it was meant to be, which is what the quoting is for.
    winget_manifest_check.py FOLDER SETUP.EXE KEY=VALUE...   (expected texts)
"""
import hashlib
import pathlib
import re
import sys

import yaml

ID_PART = r'[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}'
PATTERNS = {
    'PackageIdentifier': ID_PART + r'(\.' + ID_PART + r'){1,7}',
    'PackageVersion': r'[^\\/:\*\?"<>\|\x01-\x1f]+',
    'PackageLocale': r'([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*',
    'InstallerUrl': r'([Hh][Tt][Tt][Pp][Ss]?)://.+',
    'InstallerSha256': r'[A-Fa-f0-9]{64}',
    'ManifestVersion': r'1\.6\.0',
}
REQUIRED = {
    'version': ['PackageIdentifier', 'PackageVersion', 'DefaultLocale', 'ManifestType', 'ManifestVersion'],
    'installer': ['PackageIdentifier', 'PackageVersion', 'Installers', 'ManifestType', 'ManifestVersion'],
    'defaultLocale': ['PackageIdentifier', 'PackageVersion', 'PackageLocale', 'Publisher', 'PackageName', 'License',
                      'ShortDescription', 'ManifestType', 'ManifestVersion'],
}
LENGTHS = {'Publisher': (2, 256), 'PackageName': (2, 256), 'License': (3, 512), 'ShortDescription': (3, 256)}
SWITCHES = {'Silent', 'SilentWithProgress', 'Interactive', 'InstallLocation', 'Log', 'Upgrade', 'Custom', 'Repair'}
RESPONSES = {'packageInUse', 'packageInUseByApplication', 'installInProgress', 'fileInUse', 'missingDependency',
             'diskFull', 'insufficientMemory', 'invalidParameter', 'noNetwork', 'contactSupport',
             'rebootRequiredToFinish', 'rebootRequiredForInstall', 'rebootInitiated', 'cancelledByUser',
             'alreadyInstalled', 'downgrade', 'blockedByPolicy', 'systemNotSupported', 'custom'}
problems = []


def check(condition, what):
    if not condition:
        problems.append(what)


def check_fields(kind, manifest):
    for key in REQUIRED[kind]:
        check(key in manifest, f'{kind}: {key} is missing')
    check(manifest.get('ManifestType') == kind, f'{kind}: ManifestType is {manifest.get("ManifestType")!r}')
    for key, value in manifest.items():
        if key in PATTERNS or key in LENGTHS:
            check(isinstance(value, str), f'{kind}: {key} reads back as {type(value).__name__}: {value!r}')
        if key in PATTERNS and isinstance(value, str):
            check(re.fullmatch(PATTERNS[key], value), f'{kind}: {key} {value!r} breaks its pattern')
        if key in LENGTHS and isinstance(value, str):
            low, high = LENGTHS[key]
            check(low <= len(value) <= high, f'{kind}: {key} {value!r} is not {low} to {high} characters')


def check_installer(installer, setup_bytes):
    check(installer['InstallerType'] == 'exe' and installer['Scope'] == 'machine', 'installer: not an exe for the machine')
    switches = installer['InstallerSwitches']
    check(set(switches) <= SWITCHES, f'installer: unknown switches {set(switches) - SWITCHES}')
    check(switches.get('Silent') == '-silent', 'installer: Silent is not -silent')
    check('<INSTALLPATH>' in switches.get('InstallLocation', ''), 'installer: InstallLocation lacks <INSTALLPATH>')
    check('<LOGPATH>' in switches.get('Log', ''), 'installer: Log lacks <LOGPATH>')
    codes = {entry['InstallerReturnCode']: entry['ReturnResponse'] for entry in installer['ExpectedReturnCodes']}
    check(set(codes) == {1, 2, 3, 1618}, f'installer: return codes {sorted(codes)}')
    check(set(codes.values()) <= RESPONSES and codes.get(1618) == 'installInProgress', f'installer: responses {codes}')
    check(installer.get('ElevationRequirement') == 'elevatesSelf', 'installer: the elevation is not elevatesSelf')
    [only] = installer['Installers']
    for key in ('Architecture', 'InstallerUrl', 'InstallerSha256'):
        check(key in only, f'installer: the installer has no {key}')
    check(only['Architecture'] in {'x86', 'x64'}, f'installer: architecture {only["Architecture"]!r}')
    for key in ('InstallerUrl', 'InstallerSha256'):
        value = only.get(key)
        check(isinstance(value, str) and re.fullmatch(PATTERNS[key], value), f'installer: {key} {value!r}')
    check(only['InstallerSha256'].lower() == hashlib.sha256(setup_bytes).hexdigest(), 'installer: wrong SHA-256')
    [entry] = installer['AppsAndFeaturesEntries']
    check(entry['ProductCode'] == only.get('ProductCode'), 'installer: two product codes')
    return entry


def main():
    folder, setup = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    expected = dict(arg.split('=', 1) for arg in sys.argv[3:])
    files = sorted(path.name for path in folder.iterdir())
    identifier = expected['PackageIdentifier']
    check(files == sorted([f'{identifier}.yaml', f'{identifier}.installer.yaml', f'{identifier}.locale.en-US.yaml']),
          f'files: {files}')
    manifests = {}
    for kind, name in (('version', f'{identifier}.yaml'), ('installer', f'{identifier}.installer.yaml'),
                       ('defaultLocale', f'{identifier}.locale.en-US.yaml')):
        manifests[kind] = yaml.safe_load((folder / name).read_text(encoding='utf-8'))
        check_fields(kind, manifests[kind])
    entry = check_installer(manifests['installer'], setup.read_bytes())
    values = {**manifests['defaultLocale'], **{'DisplayVersion': entry['DisplayVersion'],
                                               'ProductCode': entry['ProductCode']}}
    for key, value in expected.items():
        check(values.get(key) == value, f'{key} is {values.get(key)!r}, not {value!r}')
    for problem in problems:
        print('winget manifest:', problem)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
