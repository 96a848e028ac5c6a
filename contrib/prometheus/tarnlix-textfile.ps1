# Writes the machine's inventory for windows_exporter's textfile collector,
# from a scheduled task that runs as SYSTEM:
#
#   powershell.exe -NoProfile -ExecutionPolicy Bypass -File tarnlix-textfile.ps1
#       [-Directory DIR] [-Tool PATH] [-Baseline FILE]
#
# tarnlix.prom in the collector's directory is replaced in one step, a
# temporary file in the same directory then a replace, so that the exporter
# never reads half a file. When the tool fails, the file is left as it was,
# the tool's message goes to standard error and the exit code is the tool's.
#
# The inventory is compared with a baseline table (-Baseline, default
# tarnlix\baseline.bin in ProgramData), saved from the first table read
# unless the admin saved one: tarnlix_inventory_changes counts the
# structures added, removed or changed since, by group. An empty -Baseline
# keeps none. A baseline the tool cannot read (an empty file, a damaged one)
# counts as none: the script says so on standard error and saves the table
# read now.
param(
    [string]$Directory = "$env:ProgramFiles\windows_exporter\textfile_inputs",
    [string]$Tool = "$env:ProgramFiles\tarnlix\tarnlix.exe",
    [string]$Baseline = "$env:ProgramData\tarnlix\baseline.bin"
)
$ErrorActionPreference = 'Stop'

$target = Join-Path $Directory 'tarnlix.prom'
# The collector reads only files named *.prom: the temporary one is not.
$temp = Join-Path $Directory ('.tarnlix.prom.' + [guid]::NewGuid().ToString('N'))
$arguments = '/PROM'
if ($Baseline) {
    if (Test-Path -LiteralPath $Baseline) {
        $read = @(& cmd.exe /d /s /c "`"`"$Tool`" `"/FROM:$Baseline`" /PROM`"")
        if ($LASTEXITCODE -ne 0) {
            [Console]::Error.WriteLine("tarnlix-textfile: $($read[0]); the table read now is saved as the baseline instead")
            Remove-Item -LiteralPath $Baseline -Force
        }
    }
    if (-not (Test-Path -LiteralPath $Baseline)) {
        # The first table read becomes the baseline, and is compared with itself.
        New-Item -ItemType Directory -Force -Path (Split-Path -Parent $Baseline) | Out-Null
        $arguments += " `"/DUMP:$Baseline`""
    }
    $arguments += " `"/DIFF:$Baseline`""
}
# cmd keeps tarnlix's bytes as they are (LF line ends, UTF-8); a PowerShell
# pipeline would re-encode them.
& cmd.exe /d /s /c "`"`"$Tool`" $arguments > `"$temp`"`""
$status = $LASTEXITCODE
# 8: the inventory differs from the baseline, which the metrics say.
if ($status -ne 0 -and $status -ne 8) {
    # The tool writes its messages to standard output, which went into the
    # temporary file: they go to standard error (the task's log) instead, and
    # the last good inventory stays, so that it goes stale rather than empty.
    if (Test-Path -LiteralPath $temp) {
        foreach ($line in [System.IO.File]::ReadAllLines($temp)) { [Console]::Error.WriteLine($line) }
    }
    [Console]::Error.WriteLine("tarnlix-textfile: $Tool $arguments failed with exit code $status; $target is left as it was")
    Remove-Item -LiteralPath $temp -Force -ErrorAction SilentlyContinue
    exit $status
}
if (Test-Path -LiteralPath $target) {
    [System.IO.File]::Replace($temp, $target, $null)
} else {
    [System.IO.File]::Move($temp, $target)
}
